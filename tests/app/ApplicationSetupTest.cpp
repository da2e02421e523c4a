// The program before its window: --version, --help and refused options without a display, what it says when no
// display answers; the style asked for; Qt's German catalogue; the installed icon.
#include <QApplication>
#include <QImage>
#include <QStyle>
#include <QTemporaryDir>
#include <QTranslator>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <QProcess>
#include <QProcessEnvironment>
#else
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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
  QStringList environment = {};  // added to the program's environment
};

void PrintTo(const CommandLineRow& row, std::ostream* os) { *os << row.name; }

const CommandLineRow kCommandLines[] = {
    {"Version", {"--version"}, 0, "Teilomat 1.1\n", "", true},
    {"ShortVersion", {"-v"}, 0, "Teilomat 1.1\n", "", true},
    {"Help", {"--help"}, 0, "Aufruf: teilomat [Option]\n", "", false},
    {"HelpWinsOverVersion", {"--version", "-h"}, 0, "-v, --version", "", false},
    {"VersionAfterQtOptions",
     {"-platform", "offscreen", "--style=Fusion", "-reverse", "--version"},
     0,
     "Teilomat 1.1\n",
     "",
     true},
    {"UnknownOption", {"--rechnen"}, 2, "", "teilomat: unbekannte Option „--rechnen“", true},
    {"UnknownOptionBeforeVersion", {"-x", "--version"}, 2, "", "unbekannte Option „-x“", true},
    {"StrayArgument", {"123"}, 2, "", "teilomat: unerwartetes Argument „123“", true},
#ifndef _WIN32
    // A Qt option is let through and reaches the display check (which
    // Windows, whose desktop is always there, does not make).
    {"QtOptionNeedsTheDisplay", {"-style", "Fusion"}, 2, "", "keine Anzeige da", true},
    // Qt gives up on a Wayland display that is not there (or, without its plugin, on X11).
    {"WaylandSocketMissing",
     {},
     2,
     "",
     "Die Wayland-Anzeige „teilomat-nirgends“ gibt es nicht: unter /tmp/teilomat-nirgends",
     true,
     {"WAYLAND_DISPLAY=teilomat-nirgends", "XDG_RUNTIME_DIR=/tmp"}},
    {"WaylandWithoutRuntimeFolder",
     {"-platform", "wayland"},
     2,
     "",
     "nicht zu finden, weil XDG_RUNTIME_DIR nicht gesetzt",
     true,
     {"WAYLAND_DISPLAY=wayland-3", "XDG_RUNTIME_DIR="}},
    {"WaylandAvoidedInTheWayOut",
     {},
     2,
     "",
     "xvfb-run -a " TEILOMAT_PROGRAM " -platform xcb\n",
     true,
     {"WAYLAND_DISPLAY=/tmp/teilomat-nirgends"}},
#endif
};

struct Ended {
  bool ended = false;  // on its own within 20 s
  int exitCode = -1;
  std::string output, error;
};

#ifdef _WIN32
// Runs the program with its output into pipes, as a console's redirection
// would: what PlatformStart prints when its starter redirected the handles.
Ended runProgram(const QStringList& arguments, const QStringList& settings) {
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const QString& setting : settings) {
    const qsizetype equals = setting.indexOf(u'=');
    environment.insert(setting.left(equals), setting.mid(equals + 1));
  }
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(TEILOMAT_PROGRAM), arguments);
  Ended result;
  if (!program.waitForFinished(20000)) {
    program.kill();
    program.waitForFinished();
    return result;
  }
  result.ended = program.exitStatus() == QProcess::NormalExit;
  result.exitCode = program.exitCode();
  result.output = program.readAllStandardOutput().toStdString();
  result.error = program.readAllStandardError().toStdString();
  return result;
}
#else
std::string contentOf(const QString& path) {
  std::ostringstream content;
  content << std::ifstream(path.toStdString(), std::ios::binary).rdbuf();
  return content.str();
}

// Runs the program without a display, its output into files. posix_spawn
// rather than QProcess: a cross-built program's tests run under qemu-user,
// which cannot emulate QProcess's clone with a process descriptor; the
// program then runs under its emulator too.
Ended runProgram(const QStringList& arguments, const QStringList& settings) {
  std::vector<std::string> words;
  if (std::string_view(TEILOMAT_EMULATOR) != "") words.emplace_back(TEILOMAT_EMULATOR);
  words.emplace_back(TEILOMAT_PROGRAM);
  for (const QString& argument : arguments) words.push_back(argument.toStdString());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // The settings first: getenv takes the first of a name.
  std::vector<std::string> added;
  for (const QString& setting : settings) added.push_back(setting.toStdString());
  std::vector<char*> environment;
  for (std::string& setting : added) environment.push_back(setting.data());
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view v(*variable);
    if (!v.starts_with("DISPLAY=") && !v.starts_with("WAYLAND_DISPLAY=") && !v.starts_with("QT_QPA_PLATFORM="))
      environment.push_back(*variable);
  }
  environment.push_back(nullptr);

  QTemporaryDir dir;
  const std::string out = dir.filePath("out").toStdString(), err = dir.filePath("err").toStdString();
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int started = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environment.data());
  posix_spawn_file_actions_destroy(&files);
  Ended result;
  if (started != 0) return result;
  int status = 0;
  for (int tick = 0; waitpid(pid, &status, WNOHANG) == 0; ++tick) {
    if (tick == 2000) {  // 20 s
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return result;
    }
    usleep(10000);
  }
  result.ended = WIFEXITED(status);
  result.exitCode = WEXITSTATUS(status);
  result.output = contentOf(dir.filePath("out"));
  result.error = contentOf(dir.filePath("err"));
  return result;
}

#endif

class CommandLine : public UiTest, public ::testing::WithParamInterface<CommandLineRow> {};

TEST_P(CommandLine, AnswersWithoutADisplay) {
  const CommandLineRow& row = GetParam();
  const Ended program = runProgram(row.arguments, row.environment);
  ASSERT_TRUE(program.ended) << "the program did not start or did not end";
  const std::string& output = program.output;
  const std::string& error = program.error;
  EXPECT_EQ(program.exitCode, row.exitCode) << error;
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
                         [](const ::testing::TestParamInfo<CommandLineRow>& info) {
                           return std::string(info.param.name);
                         });

using ApplicationSetupTest = UiTest;

// -style (either spelling) before QT_STYLE_OVERRIDE, as Qt ranks them; an unknown name, or none, keeps Fusion.
TEST_F(ApplicationSetupTest, HonoursTheStyleAskedFor) {
  const struct {
    std::vector<std::string> arguments;
    const char* override;
    const char* style;
  } rows[] = {{{}, "", "fusion"},
              {{"-style", "Windows"}, "", "windows"},
              {{"--style=windows"}, "Fusion", "windows"},
              {{}, "Windows", "windows"},
              {{"-style", "Gibtsnicht"}, "Windows", "fusion"}};
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  for (const auto& row : rows) {
    qputenv("QT_STYLE_OVERRIDE", row.override);
    ApplicationSetup::configure(*app, ApplicationSetup::readCommandLine(row.arguments).style);
    EXPECT_EQ(QApplication::style()->name().toStdString(), row.style) << row.override;
  }
  qunsetenv("QT_STYLE_OVERRIDE");
  ApplicationSetup::configure(*app);
}

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
