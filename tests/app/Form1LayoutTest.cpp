// Form1's controls as its table makes them, the tab order, colours and fitting captions.
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <ostream>

#include "UiTestSupport.h"
#include "app/Form1.h"
#include "app/Form1Controls.h"
#include "app/Form2.h"
#include "app/InputField.h"
#include "support/RecordingFake.h"

namespace teilomat {
// Failure messages show a row by its name.
void PrintTo(const ControlRow& row, std::ostream* os) { *os << row.name; }
}  // namespace teilomat

namespace teilomat::testing {
namespace {

// The Qt class that each kind of control is made of.
const char* qtClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button: return "QPushButton";
    case ControlKind::Frame: return "QGroupBox";
    case ControlKind::Label:
    case ControlKind::ResultLabel: return "QLabel";
    case ControlKind::Field:
    case ControlKind::TypedField: return "teilomat::InputField";
    case ControlKind::CheckBox: return "QCheckBox";
    case ControlKind::List: return "QListView";
  }
  return "?";
}

QString captionOf(const QWidget* widget) {
  if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  if (auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
  if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (auto* field = qobject_cast<const QLineEdit*>(widget)) return field->text();
  if (auto* list = qobject_cast<const QListView*>(widget)) return list->model()->rowCount() ? "<items>" : "";
  return "<unknown kind>";
}

class Form1Control : public UiTest, public ::testing::WithParamInterface<ControlRow> {
 protected:
  RecordingFake fake_;
  Form1 form_{&fake_};
};

TEST_P(Form1Control, HasItsKindContainerGeometryAndStartText) {
  const ControlRow& row = GetParam();
  form_.show();
  QWidget* widget = form_.findChild<QWidget*>(row.name);
  ASSERT_NE(widget, nullptr);
  EXPECT_STREQ(widget->metaObject()->className(), qtClassOf(row.kind));
  ASSERT_NE(widget->parentWidget(), nullptr);
  EXPECT_EQ(widget->parentWidget()->objectName().toStdString(), row.parent);
  EXPECT_EQ(widget->geometry(), QRect(row.left / 15, row.top / 15, row.width / 15, row.height / 15));
  EXPECT_EQ(captionOf(widget).toStdString(), row.caption);
  EXPECT_TRUE(widget->isVisible());
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    EXPECT_EQ(label->wordWrap(), row.kind == ControlKind::ResultLabel);
  }
  if (auto* field = qobject_cast<InputField*>(widget)) {
    EXPECT_EQ(field->typedLimit(), row.kind == ControlKind::TypedField ? Form1::kInputLimit : 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Layout, Form1Control, ::testing::ValuesIn(kForm1Controls),
                         [](const ::testing::TestParamInfo<ControlRow>& info) { return std::string(info.param.name); });

using Form1Window = Form1Control;

TEST_F(Form1Window, StartsWithCaptionSizeAndCheckedBeep) {
  EXPECT_EQ(form_.windowTitle().toStdString(), "Teilomat ");
  EXPECT_EQ(form_.size(), QSize(768, 296));
  EXPECT_EQ(form_.minimumSize(), form_.maximumSize()) << "the window must not be resizable";
  EXPECT_FALSE(form_.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form_.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(child<QCheckBox>(form_, "Check1")->isChecked());
  EXPECT_EQ(form_.check1Value(), 1);
  EXPECT_FALSE(form_.windowIcon().isNull());
  EXPECT_EQ(form_.windowIcon().availableSizes().value(0), QSize(32, 32));
}

TEST_F(Form1Window, TabOrderFollowsTheTabIndices) {
  const QStringList expected = {"Command1", "Text1", "Command2", "Check1",   "Text2",    "Command3", "Command4",
                                "List1",    "Text3", "Text4",    "Command5", "Command6", "Command7"};
  QStringList order;
  QWidget* widget = child<QWidget>(form_, "Command1");
  for (int guard = 0; widget && guard < 200; ++guard) {
    if ((widget->focusPolicy() & Qt::TabFocus) && widget != &form_) {
      if (!order.isEmpty() && widget->objectName() == order.front()) break;  // round trip done
      order << widget->objectName();
    }
    widget = widget->nextInFocusChain();
  }
  EXPECT_EQ(order, expected);
}

TEST_F(Form1Window, AccessKeysSitOnTheirLetters) {
  EXPECT_EQ(child<QPushButton>(form_, "Command1")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_P));
  EXPECT_EQ(child<QPushButton>(form_, "Command2")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_N));
  EXPECT_EQ(child<QPushButton>(form_, "Command7")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_I));
}

// Standard scheme: black window and frames with white captions, black on
// white output labels.
TEST_F(Form1Window, PaintsTheStandardColours) {
  form_.show();
  const QImage image = form_.grab().toImage();
  auto at = [&](int x, int y) { return QColor(image.pixel(x, y)); };
  auto light = [&](int x, int y) { return qGray(image.pixel(x, y)) > 200; };
  EXPECT_EQ(at(304, 150), QColor(Qt::black)) << "window background between the frames";
  EXPECT_EQ(at(760, 290), QColor(Qt::black)) << "window background, bottom right";
  EXPECT_EQ(at(8 + 16 + 257 - 3, 80 + 16 + 73 - 3), QColor(Qt::white)) << "Label1 background";
  EXPECT_EQ(at(8 + 16 + 257 - 3, 184 + 16 + 73 - 3), QColor(Qt::white)) << "Label2 background";
  EXPECT_EQ(at(312 + 440 - 4, 80 + 200 - 4), QColor(Qt::black)) << "Frame5 background";
  EXPECT_EQ(at(16 + 88, 56 + 24), QColor(Qt::black)) << "Check1 background";
  // The caption "Eingabe" of Frame1 is drawn in white somewhere in its title row.
  int whiteInTitle = 0;
  for (int y = 8; y < 8 + 12; ++y)
    for (int x = 14; x < 60; ++x) whiteInTitle += light(x, y);
  EXPECT_GT(whiteInTitle, 10);
  // And so is the text of Check1 beside its box.
  int whiteInCheck = 0;
  for (int y = 56; y < 56 + 25; ++y)
    for (int x = 16 + 20; x < 16 + 89; ++x) whiteInCheck += light(x, y);
  EXPECT_GT(whiteInCheck, 10);
}

// Every caption fits its control: no clipped text in the chosen font.
TEST_F(Form1Window, EveryCaptionFitsItsControl) {
  form_.show();
  for (const ControlRow& row : kForm1Controls) {
    QWidget* widget = form_.findChild<QWidget*>(row.name);
    ASSERT_NE(widget, nullptr);
    const QFontMetrics metrics(widget->font());
    QString text = captionOf(widget);
    text.remove('&');
    if (auto* label = qobject_cast<QLabel*>(widget); label && label->wordWrap()) {
      EXPECT_LE(label->heightForWidth(label->width()), label->height())
          << row.name << " wraps beyond its height in " << widget->font().family().toStdString();
      continue;
    }
    int room = widget->width();
    if (qobject_cast<QPushButton*>(widget)) room -= 4;
    if (qobject_cast<QCheckBox*>(widget))  // the box and its gap
      room -= widget->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget) +
              widget->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, widget);
    if (qobject_cast<QGroupBox*>(widget)) room -= 10;
    if (qobject_cast<QLineEdit*>(widget)) room -= 6;
    EXPECT_LE(metrics.horizontalAdvance(text), room) << row.name << " in " << widget->font().family().toStdString();
    EXPECT_LE(metrics.height(), widget->height()) << row.name;
  }
}

// The names screen readers announce: the caption a control stands under,
// without access-key marks; Text2 and Command3 follow their run-time captions.
struct AccessibleRow {
  const char* name;     // objectName, or "Form2/..." for the Info window
  const char* caption;  // set on Frame4 or Command3 first, when given
  const char* expected;
};

void PrintTo(const AccessibleRow& row, std::ostream* os) { *os << row.name; }

const AccessibleRow kAccessibleNames[] = {
    {"Command1", nullptr, "Primprüfung"},
    {"Command3", nullptr, "Ergebnis ins Eingabefeld kopieren"},
    {"Command3", "Pri&mzahl ins Eingabefeld kopieren", "Primzahl ins Eingabefeld kopieren"},
    {"Command4", nullptr, "Primmarktest (Computer-Performance-Test)"},
    {"Command7", nullptr, "Info"},
    {"Text1", nullptr, "Eingabe"},
    {"Text2", nullptr, "Ergebnis"},
    {"Text2", "Größter Teiler", "Größter Teiler"},
    {"Text3", nullptr, "Von"},
    {"Text4", nullptr, "Bis"},
    {"Check1", nullptr, "Signalton an"},
    {"List1", nullptr, "Primzahlauflistung"},
    {"Form2/Label1", nullptr, Form2::kInfoText},  // read whole, version included
    {"Form2/Command1", nullptr, "Schließen"},
};

class AccessibleName : public UiTest, public ::testing::WithParamInterface<AccessibleRow> {
 protected:
  RecordingFake fake_;
  Form1 form_{&fake_};
};

TEST_P(AccessibleName, IsTheGermanCaption) {
  const AccessibleRow& row = GetParam();
  if (row.caption) {
    form_.setFrame4Caption(row.caption);
    form_.setCommand3Caption(row.caption);
  }
  Form2 info;
  const std::string name = row.name;
  const bool inInfo = name.starts_with("Form2/");
  const QWidget& window = inInfo ? static_cast<const QWidget&>(info) : form_;
  QWidget* widget = window.findChild<QWidget*>(QString::fromStdString(inInfo ? name.substr(6) : name));
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->accessibleName().toStdString(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Names, AccessibleName, ::testing::ValuesIn(kAccessibleNames),
                         [](const ::testing::TestParamInfo<AccessibleRow>& info) {
                           std::string id = info.param.name;
                           std::erase(id, '/');
                           return id + (info.param.caption ? "AfterACommand" : "");
                         });

TEST_F(Form1Window, EveryControlHasAnAccessibleNameWithoutAccessKeys) {
  for (const ControlRow& row : kForm1Controls) {
    const QString name = form_.findChild<QWidget*>(row.name)->accessibleName();
    EXPECT_FALSE(name.isEmpty()) << row.name;
    EXPECT_FALSE(name.contains('&')) << row.name;
  }
}

// Qt's German catalogue is installed at start-up (the test program's
// configure, as the program's), so the standard context menu speaks German.
TEST_F(Form1Window, Text1ContextMenuSpeaksGerman) {
  std::unique_ptr<QMenu> menu(child<QLineEdit>(form_, "Text1")->createStandardContextMenu());
  QStringList texts;
  for (const QAction* action : menu->actions())
    if (!action->isSeparator()) texts << action->text().section('\t', 0, 0).remove('&');
  for (const char* expected :
       {"Rückgängig", "Wiederherstellen", "Ausschneiden", "Kopieren", "Einfügen", "Löschen", "Alles auswählen"})
    EXPECT_TRUE(texts.contains(QString::fromUtf8(expected)))
        << expected << " not in: " << texts.join(" | ").toStdString();
}

}  // namespace
}  // namespace teilomat::testing
