// The Info window: contents, font, colours, and its lifecycle through Command7, Schließen, Esc, Enter and the close
// box.
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <tuple>

#include "UiTestSupport.h"
#include "app/Form1.h"
#include "support/RecordingFake.h"

namespace teilomat::testing {
namespace {

class InfoWindow : public UiTest {
 protected:
  Form2* openInfo() {
    child<QPushButton>(form_, "Command7")->click();
    return form_.infoWindow();
  }
  int shownInfoWindows() const {
    int shown = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
      shown += widget->inherits("teilomat::Form2") && widget->isVisible();
    return shown;
  }

  RecordingFake fake_;
  Form1 form_{&fake_};
};

TEST_F(InfoWindow, ShowsNameVersionAndNeutralAddresses) {
  Form2* info = openInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->windowTitle().toStdString(), "Teilomat - Info");
  EXPECT_EQ(info->size(), QSize(327, 275));
  EXPECT_EQ(info->minimumSize(), info->maximumSize());
  EXPECT_FALSE(info->isModal());

  auto* label = child<QLabel>(*info, "Label1");
  EXPECT_EQ(label->geometry(), QRect(8, 16, 313, 209));
  EXPECT_TRUE(label->wordWrap());
  const QString text = label->text();
  EXPECT_TRUE(text.startsWith("Teilomat")) << text.toStdString();
  EXPECT_LT(text.indexOf("Teilomat"), text.indexOf("Version 1.1"));
  EXPECT_LT(text.indexOf("Version 1.1"), text.indexOf("Download und Updates bei:"));
  EXPECT_TRUE(text.endsWith("dort gibt es dann auch andere Matheprogs.")) << text.toStdString();
  // Every web address is a documentation address under example.org: two
  // download pages and the coming maths site.
  const QRegularExpression host("[a-z0-9-]+(\\.[a-z0-9-]+)*\\.(org|com|net|de|info)");
  QStringList hosts;
  for (auto it = host.globalMatch(text); it.hasNext();) hosts << it.next().captured();
  EXPECT_EQ(hosts.size(), 3) << hosts.join(" ").toStdString();
  for (const QString& found : hosts) EXPECT_TRUE(found.endsWith("example.org")) << found.toStdString();
  EXPECT_LE(label->heightForWidth(label->width()), label->height()) << "the text must not be clipped";

  const QFont font = label->font();
  EXPECT_EQ(font.pointSizeF(), 15.75);
  EXPECT_EQ(font.weight(), QFont::Normal);
  if (QFontDatabase::families().contains("Comic Sans MS") || QFontDatabase::families().contains("Comic Neue")) {
    EXPECT_TRUE(QFontInfo(font).family() == "Comic Sans MS" || QFontInfo(font).family() == "Comic Neue")
        << QFontInfo(font).family().toStdString();
  }

  auto* close = child<QPushButton>(*info, "Command1");
  EXPECT_EQ(close->text().toStdString(), "Schließen");
  EXPECT_EQ(close->geometry(), QRect(80, 240, 161, 25));

  const QImage image = info->grab().toImage();
  EXPECT_EQ(QColor(image.pixel(2, 2)), QColor(Qt::black));
  EXPECT_EQ(QColor(image.pixel(300, 220)), QColor(Qt::black)) << "label background";
}

TEST_F(InfoWindow, SchliessenHidesAndCommand7ShowsTheSameWindowAgain) {
  form_.show();
  QPointer<Form2> first = openInfo();
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->isVisible());
  EXPECT_TRUE(form_.isVisible()) << "the main window stays usable";

  QPointer<Form2> second = openInfo();
  EXPECT_EQ(first.data(), second.data()) << "Command7 twice leaves one window";
  EXPECT_EQ(shownInfoWindows(), 1);

  child<QPushButton>(*first, "Command1")->click();
  settle();
  ASSERT_TRUE(first) << "Schließen keeps the window";
  EXPECT_FALSE(first->isVisible());

  EXPECT_EQ(openInfo(), first.data());
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(shownInfoWindows(), 1);
}

// Esc and Enter (either key) press "Schließen"; with a modifier they do nothing.
TEST_F(InfoWindow, EscAndEnterPressSchliessen) {
  const std::tuple<Qt::Key, Qt::KeyboardModifiers, bool> presses[] = {{Qt::Key_Escape, Qt::NoModifier, true},
                                                                      {Qt::Key_Return, Qt::NoModifier, true},
                                                                      {Qt::Key_Enter, Qt::KeypadModifier, true},
                                                                      {Qt::Key_Return, Qt::ControlModifier, false}};
  for (const auto& [key, modifiers, closes] : presses) {
    QPointer<Form2> info = openInfo();
    QTest::keyClick(child<QPushButton>(*info, "Command1"), key, modifiers);
    settle();
    ASSERT_TRUE(info) << "hidden, not discarded";
    EXPECT_EQ(info->isVisible(), !closes) << key;
  }
}

TEST_F(InfoWindow, TheCloseBoxDiscardsItAndCommand7BuildsANewOne) {
  QPointer<Form2> first = openInfo();
  ASSERT_TRUE(first);
  first->close();
  settle();
  EXPECT_TRUE(first.isNull());
  EXPECT_EQ(form_.infoWindow(), nullptr);

  QPointer<Form2> again = openInfo();
  ASSERT_TRUE(again);
  EXPECT_TRUE(again->isVisible());
  EXPECT_EQ(shownInfoWindows(), 1);
}

}  // namespace
}  // namespace teilomat::testing
