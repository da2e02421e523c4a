// The main window: all controls, the output surface of the commands and the button handlers.
#include "app/Form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <utility>

#include "app/Form2.h"
#include "app/InputField.h"
#include "app/TeilomatIcon.h"
#include "app/WindowLook.h"
#include "commands/Commands.h"
#include "timing/xTimer.h"

namespace teilomat {
namespace {

const char* const kLabel1Start =
    "Funktioniert nur mit Zahlen mit maximal 15 Stellen !!! Bug wurde gefixt der die Falsche Anzahl an "
    "probierten Teilern wiedergibt !";
const char* const kLabel2Start =
    "Jetzt kann man Zahlen mit bis zu 29 Stellen testen lassen, und ich arbeite weiter um das Limit zu "
    "erhöhen !!  Aber Achtung kann ziemlich lange dauern um 25-Stellige zahlen zu überprüfen"
    "                              Jetzt mit starker Realtime Anzeige !!!";

// The standard colour scheme: window frame, menu text, window text and
// button text are black; window and highlighted text are white. So the
// window, the frames, their captions, Check1, Label3 and Label4 are white on
// black, and the two output labels black on white. The frame borders are
// drawn grey, as an etched edge shows on black.
const char* const kWindowStyle =
    "QGroupBox { background-color: black; color: white; border: 1px solid #808080;"
    " margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px;"
    " padding: 0px 1px; background-color: black; color: white; }"
    "QLabel#Label1, QLabel#Label2 { background-color: white; color: black; }"
    "QLabel#Label3, QLabel#Label4, QCheckBox#Check1 { background-color: black; color: white; }"
    "QCheckBox#Check1 { spacing: 3px; }";

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

QGroupBox* makeFrame(QWidget* parent, const char* name, const char* caption, QRect geometry) {
  auto* frame = new QGroupBox(QString::fromUtf8(caption), parent);
  frame->setObjectName(name);
  frame->setGeometry(geometry);
  frame->setFlat(false);
  return frame;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  return button;
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* text, QRect geometry) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setText(QString::fromUtf8(text));
  label->setGeometry(geometry);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

InputField* makeField(QWidget* parent, const char* name, int limit, QRect geometry) {
  auto* field = new InputField(limit, parent);
  field->setObjectName(name);
  field->setGeometry(geometry);
  return field;
}

}  // namespace

Form1::Form1(PlatformServices* dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(this),
      pendingCaption_("Teilomat ") {
  setObjectName("Form1");
  services_.setDialogStandIn(dialogs);
  services_.setHooks([this] { applyCaption(); }, [this] { return abortRequested_; });
  setWindowTitle(fromUtf8(pendingCaption_));
  setWindowIcon(teilomatIcon());
  setFont(WindowLook::controlFont());
  setFixedSize(WindowLook::pixels(11520), WindowLook::pixels(4440));
  WindowLook::paintBackground(this, Qt::black);
  setStyleSheet(kWindowStyle);
  buildControls();
  // Styled widgets would fall back to the application font; give each
  // control the window's font explicitly.
  const QFont font = WindowLook::controlFont();
  for (QWidget* control : findChildren<QWidget*>()) control->setFont(font);
  connectButtons();
}

Form1::~Form1() {
  // The Info window has no parent (it must outlive a closed main window);
  // it goes with the main window at the latest.
  delete info_;
}

void Form1::buildControls() {
  using L = WindowLook;
  // Created in tab order; Text1 after Frame1 so that it lies on top of it.
  command1_ = makeButton(this, "Command1", "&Primprüfung", L::rect(7080, 240, 2055, 495));
  frame1_ = makeFrame(this, "Frame1", "Eingabe", L::rect(120, 120, 3015, 615));
  text1_ = makeField(this, "Text1", kInputLimit, L::rect(240, 360, 2775, 285));
  text1_->setProgramText("999999999999989");
  frame2_ = makeFrame(this, "Frame2", "Ausgabe", L::rect(120, 1200, 4335, 1455));
  label1_ = makeLabel(frame2_, "Label1", kLabel1Start, L::rect(240, 240, 3855, 1095));
  label1_->setWordWrap(true);
  frame3_ = makeFrame(this, "Frame3", "Console", L::rect(120, 2760, 4335, 1455));
  label2_ = makeLabel(frame3_, "Label2", kLabel2Start, L::rect(240, 240, 3855, 1095));
  label2_->setWordWrap(true);
  command2_ = makeButton(this, "Command2", "&Nächste Primzahl", L::rect(9240, 240, 2055, 495));
  check1_ = new QCheckBox(QStringLiteral("Signalton an ?"), this);
  check1_->setObjectName("Check1");
  check1_->setGeometry(L::rect(240, 840, 1335, 375));
  check1_->setChecked(true);
  frame4_ = makeFrame(this, "Frame4", "", L::rect(3240, 120, 3615, 975));
  text2_ = makeField(frame4_, "Text2", 0, L::rect(120, 240, 3375, 285));
  command3_ = makeButton(frame4_, "Command3", "", L::rect(120, 600, 3375, 315));
  command4_ = makeButton(this, "Command4", "Primmarktest ( Computer-Performance-Test )", L::rect(7080, 840, 4215, 255));
  frame5_ = makeFrame(this, "Frame5", "Primzahlauflistung", L::rect(4680, 1200, 6615, 3015));
  list1_ = new QListWidget(frame5_);
  list1_->setObjectName("List1");
  list1_->setGeometry(L::rect(240, 360, 6135, 1005));
  list1_->setUniformItemSizes(true);  // keeps long listings cheap to lay out
  frame6_ = makeFrame(frame5_, "Frame6", "Zahlenbereich der zu überprüfen ist", L::rect(240, 2040, 6135, 855));
  label3_ = makeLabel(frame6_, "Label3", "Von:", L::rect(120, 240, 735, 255));
  label4_ = makeLabel(frame6_, "Label4", "Bis:", L::rect(3120, 240, 735, 255));
  text3_ = makeField(frame6_, "Text3", kInputLimit, L::rect(120, 480, 2775, 285));
  text4_ = makeField(frame6_, "Text4", kInputLimit, L::rect(3120, 480, 2775, 285));
  command5_ = makeButton(frame5_, "Command5", "Auflisten", L::rect(240, 1440, 2895, 255));
  command6_ = makeButton(frame5_, "Command6", "Als Textfile speichern", L::rect(3480, 1440, 2895, 255));
  command7_ = makeButton(this, "Command7", "&Info", L::rect(1920, 840, 975, 375));

  QWidget* const tabOrder[] = {command1_, frame1_, text1_,   frame2_,   label1_, frame3_,   label2_, command2_,
                               check1_,   frame4_, text2_,   command3_, command4_, frame5_, list1_,  frame6_,
                               label3_,   label4_, text3_,   text4_,    command5_, command6_, command7_};
  for (std::size_t i = 1; i < std::size(tabOrder); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
  command1_->setFocus();

  // Screen readers announce each control by the caption it stands under,
  // without access-key marks. Text2 and Command3 follow the captions the
  // commands give them (setFrame4Caption, setCommand3Caption).
  const std::pair<QWidget*, const char*> accessibleNames[] = {
      {this, "Teilomat"},
      {command1_, "Primprüfung"},
      {command2_, "Nächste Primzahl"},
      {command3_, "Ergebnis ins Eingabefeld kopieren"},
      {command4_, "Primmarktest (Computer-Performance-Test)"},
      {command5_, "Auflisten"},
      {command6_, "Als Textfile speichern"},
      {command7_, "Info"},
      {frame1_, "Eingabe"},
      {frame2_, "Ausgabe"},
      {frame3_, "Console"},
      {frame4_, "Ergebnis"},
      {frame5_, "Primzahlauflistung"},
      {frame6_, "Zahlenbereich der zu überprüfen ist"},
      {label1_, "Ausgabe"},
      {label2_, "Console"},
      {label3_, "Von"},
      {label4_, "Bis"},
      {text1_, "Eingabe"},
      {text2_, "Ergebnis"},
      {text3_, "Von"},
      {text4_, "Bis"},
      {check1_, "Signalton an"},
      {list1_, "Primzahlauflistung"}};
  for (const auto& [control, name] : accessibleNames) control->setAccessibleName(QString::fromUtf8(name));
}

void Form1::connectButtons() {
  connect(command1_, &QPushButton::clicked, this,
          [this] { runCommand([this] { runPrimalityTest(*this, services_); }, true); });
  connect(command2_, &QPushButton::clicked, this,
          [this] { runCommand([this] { runNextPrimeSearch(*this, services_); }, true); });
  connect(command3_, &QPushButton::clicked, this, [this] { runCommand([this] { copyResultToInput(*this); }, false); });
  connect(command4_, &QPushButton::clicked, this,
          [this] { runCommand([this] { runPrimmarktest(*this, services_); }, true); });
  connect(command5_, &QPushButton::clicked, this,
          [this] { runCommand([this] { runRangeListing(*this, services_); }, true); });
  connect(command6_, &QPushButton::clicked, this,
          [this] { runCommand([this] { runSaveListing(*this, services_); }, true); });
  connect(command7_, &QPushButton::clicked, this, [this] { runCommand([this] { showInfo(); }, false); });
}

void Form1::runCommand(const std::function<void()>& command, bool nests) {
  if (abortRequested_) return;
  if (nests && depth_ >= kMaxNesting) return;  // the press is ignored
  ++depth_;
  std::string failure;
  try {
    command();
  } catch (const CommandAborted&) {
    // The window was closed: end quietly.
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = "unbekannter Fehler";
  }
  if (!failure.empty() && !abortRequested_) {
    try {
      services_.messageBox("Der Befehl wurde wegen eines Fehlers abgebrochen:\n" + failure);
    } catch (...) {
      // Closed while the report was shown; nothing left to tell.
    }
  }
  if (--depth_ == 0) abortRequested_ = false;
  applyCaption();
}

void Form1::showInfo() {
  if (!info_) info_ = new Form2();
  info_->show();
  info_->raise();
  info_->activateWindow();
}

void Form1::showCentred() {
  if (QScreen* where = screen()) {
    const QRect area = where->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  show();
}

void Form1::closeEvent(QCloseEvent* event) {
  if (depth_ > 0) abortRequested_ = true;
  if (info_ && !info_->isVisible()) delete info_;
  event->accept();
}

void Form1::setCaption(const std::string& caption) {
  pendingCaption_ = caption;
  captionDirty_ = true;
  if (depth_ == 0) applyCaption();
}

void Form1::applyCaption() {
  if (!captionDirty_) return;
  captionDirty_ = false;
  setWindowTitle(fromUtf8(pendingCaption_));
}

void Form1::setLabel1(const std::string& text) { label1_->setText(fromUtf8(text)); }
void Form1::setLabel2(const std::string& text) { label2_->setText(fromUtf8(text)); }

InputField* Form1::field(TextField which) const {
  switch (which) {
    case TextField::Text1: return text1_;
    case TextField::Text2: return text2_;
    case TextField::Text3: return text3_;
    case TextField::Text4: return text4_;
  }
  return text1_;
}

std::string Form1::text(TextField which) const { return field(which)->text().toStdString(); }
void Form1::setText(TextField which, const std::string& text) { field(which)->setProgramText(fromUtf8(text)); }
void Form1::setFrame4Caption(const std::string& caption) {
  frame4_->setTitle(fromUtf8(caption));
  const QString name = caption.empty() ? QStringLiteral("Ergebnis") : fromUtf8(caption);
  frame4_->setAccessibleName(name);
  text2_->setAccessibleName(name);
}
void Form1::setCommand3Caption(const std::string& caption) {
  command3_->setText(fromUtf8(caption));
  command3_->setAccessibleName(caption.empty() ? QStringLiteral("Ergebnis ins Eingabefeld kopieren")
                                               : QString(fromUtf8(caption)).remove(QLatin1Char('&')));
}
int Form1::check1Value() const { return check1_->isChecked() ? 1 : 0; }

void Form1::clearList() { list1_->clear(); }
void Form1::appendToList(const std::string& entry) { list1_->addItem(fromUtf8(entry)); }
std::size_t Form1::listCount() const { return static_cast<std::size_t>(list1_->count()); }
std::string Form1::listEntry(std::size_t index) const {
  const QListWidgetItem* item = list1_->item(static_cast<int>(index));
  return item ? item->text().toStdString() : std::string();
}

xTimer& Form1::stopwatch() {
  if (!stopwatch_) stopwatch_ = std::make_unique<xTimer>();
  return *stopwatch_;
}

}  // namespace teilomat
