// The program before its window: --version, --help and refused options without a display; Qt's German catalogue; the installed icon.
#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>

#include <ostream>

#include "UiTestSupport.h"
#include "app/ApplicationSetup.h"
#include "app/TeilomatIcon.h"

namespace teilomat::testing {
namespace {

struct CommandLineRow {
  const char* name;
  QStringList arguments;
  int exitCode;
  const char* standardOutput;  // the whole output, or a part of it when exact is false
  const char* standardError;   // a part of the error output; "" means none at all
  bool exact;
};

void PrintTo(const CommandLineRow& row, std::ostream* os) { *os << row.name; }

const CommandLineRow kCommandLines[] = {
    {"Version", {"--version"}, 0, "Teilomat 1.1\n", "", true},
    {"ShortVersion", {"-v"}, 0, "Teilomat 1.1\n", "", true},
    {"Help", {"--help"}, 0, "Aufruf: teilomat [Option]\n", "", false},
    {"HelpWinsOverVersion", {"--version", "-h"}, 0, "-v, --version", "", false},
    {"VersionAfterQtOptions", {"-platform", "offscreen", "--style=Fusion", "-reverse", "--version"}, 0,
     "Teilomat 1.1\n", "", true},
    {"UnknownOption", {"--rechnen"}, 2, "", "teilomat: unbekannte Option „--rechnen“", true},
    {"UnknownOptionBeforeVersion", {"-x", "--version"}, 2, "", "unbekannte Option „-x“", true},
    {"StrayArgument", {"123"}, 2, "", "teilomat: unerwartetes Argument „123“", true},
    // A Qt option is let through and reaches the display check.
    {"QtOptionNeedsTheDisplay", {"-style", "Fusion"}, 2, "", "keine Anzeige da", true},
};

class CommandLine : public UiTest, public ::testing::WithParamInterface<CommandLineRow> {};

TEST_P(CommandLine, AnswersWithoutADisplay) {
  const CommandLineRow& row = GetParam();
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(TEILOMAT_PROGRAM), row.arguments);
  ASSERT_TRUE(program.waitForFinished(20000)) << "the program did not end";
  const std::string output = program.readAllStandardOutput().toStdString();
  const std::string error = program.readAllStandardError().toStdString();
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), row.exitCode) << error;
  if (row.exact) {
    EXPECT_EQ(output, row.standardOutput);
  } else {
    EXPECT_NE(output.find(row.standardOutput), std::string::npos) << output;
  }
  if (*row.standardError == '\0') {
    EXPECT_EQ(error, "");
  } else {
    EXPECT_NE(error.find(row.standardError), std::string::npos) << error;
  }
}

INSTANTIATE_TEST_SUITE_P(Start, CommandLine, ::testing::ValuesIn(kCommandLines),
                         [](const ::testing::TestParamInfo<CommandLineRow>& info) { return std::string(info.param.name); });

using ApplicationSetupTest = UiTest;

TEST_F(ApplicationSetupTest, MissingQtCatalogueLeavesTheProgramAsItWas) {
  QTemporaryDir empty;
  ASSERT_TRUE(empty.isValid());
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  const int translators = app->findChildren<QTranslator*>().size();
  EXPECT_FALSE(ApplicationSetup::installQtGerman(*app, empty.path()));
  EXPECT_EQ(app->findChildren<QTranslator*>().size(), translators);
}

// The 32 x 32 icon installed for the desktop is the window's own picture.
TEST_F(ApplicationSetupTest, InstalledIconIsTheWindowIcon) {
  const QImage installed(QStringLiteral(TEILOMAT_SOURCE_DIR "/data/icons/hicolor/32x32/apps/") +
                         ApplicationSetup::kDesktopId + ".png");
  ASSERT_FALSE(installed.isNull());
  const QImage drawn = teilomatIcon().pixmap(32, 32).toImage();
  EXPECT_EQ(installed.convertToFormat(QImage::Format_ARGB32), drawn.convertToFormat(QImage::Format_ARGB32));
}

}  // namespace
}  // namespace teilomat::testing
