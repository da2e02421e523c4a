// The platform services on Qt: dialogs, beep, clock-gated event passes and the system locale.
#include "app/QtPlatformServices.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>

#include "app/WindowLook.h"

namespace teilomat {
namespace {

const char* const kApplicationTitle = "Teilomat";
constexpr int kInputBoxWidthPixels = 480;

}  // namespace

// Tells the dialog observer of one dialog, also when it ends by an exception.
class QtPlatformServices::DialogShown {
 public:
  explicit DialogShown(const std::function<void(bool)>& observer) : observer_(observer) {
    if (observer_) observer_(true);
  }
  ~DialogShown() {
    if (observer_) observer_(false);
  }
  DialogShown(const DialogShown&) = delete;
  DialogShown& operator=(const DialogShown&) = delete;

 private:
  const std::function<void(bool)>& observer_;
};

QtPlatformServices::QtPlatformServices(QWidget* dialogParent) : dialogParent_(dialogParent) {}

void QtPlatformServices::setHooks(std::function<void()> beforePass, std::function<bool()> abortRequested,
                                  std::function<bool()> cancelRequested) {
  beforePass_ = std::move(beforePass);
  abortRequested_ = std::move(abortRequested);
  cancelRequested_ = std::move(cancelRequested);
}

void QtPlatformServices::throwIfAborted() const {
  if (abortRequested_ && abortRequested_()) throw CommandAborted();
}

void QtPlatformServices::prepareDialog() {
  throwIfAborted();
  if (beforePass_) beforePass_();
}

void QtPlatformServices::messageBox(const std::string& text, const std::string& title) {
  prepareDialog();
  const DialogShown shown(dialogObserver_);
  if (standIn_) {
    standIn_->messageBox(text, title);
  } else {
    QMessageBox box(dialogParent_);
    box.setWindowTitle(QString::fromStdString(title.empty() ? kApplicationTitle : title));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
  }
  throwIfAborted();
}

std::string QtPlatformServices::inputBox(const std::string& prompt, int leftTwips, int topTwips) {
  prepareDialog();
  std::string answer;
  const DialogShown shown(dialogObserver_);
  if (standIn_) {
    answer = standIn_->inputBox(prompt, leftTwips, topTwips);
  } else {
    QInputDialog dialog(dialogParent_);
    dialog.setWindowTitle(kApplicationTitle);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(QString::fromStdString(prompt));
    // A long prompt wraps to the box's width instead of widening it past the screen.
    for (QLabel* label : dialog.findChildren<QLabel*>()) label->setWordWrap(true);
    dialog.setFixedWidth(kInputBoxWidthPixels);
    dialog.setTextValue(QString());
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    QScreen* screen = dialogParent_ ? dialogParent_->screen() : QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    // A moved widget keeps its place when shown instead of being centred.
    // Twips to the nearest pixel, where the windows' layout truncates: 100 twips are 7 pixels.
    const auto pixels = [](int twips) { return qRound(twips / double(WindowLook::kTwipsPerPixel)); };
    dialog.move(origin + QPoint(pixels(leftTwips), pixels(topTwips)));
    if (dialog.exec() == QDialog::Accepted) answer = dialog.textValue().toStdString();
  }
  throwIfAborted();
  return answer;
}

void QtPlatformServices::beep() {
  if (standIn_) standIn_->beep();
  else QApplication::beep();
}

void QtPlatformServices::processEvents() {
  throwIfAborted();
  if (sinceLastPass_.isValid() && std::chrono::nanoseconds(sinceLastPass_.nsecsElapsed()) < passInterval_) return;
  if (beforePass_) beforePass_();
  ++realPasses_;
  // A button pressed now runs its whole command inside this call. The
  // abort and cancel checks wait until Qt has returned: no exception
  // crosses Qt frames.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  sinceLastPass_.start();
  throwIfAborted();
  if (cancelRequested_ && cancelRequested_()) throw CommandCancelled();
}

Separators QtPlatformServices::separators() const {
  if (standIn_) return standIn_->separators();
  const QLocale locale = QLocale::system();
  return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

}  // namespace teilomat
