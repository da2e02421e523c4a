// The desktop on Windows: the task bar's progress, a hold on sleep and a flashing button with a notification.
#pragma once

#include <QObject>
#include <QPointer>
#include <string>

#include "app/DesktopBus.h"

class QSystemTrayIcon;
class QWidget;
struct ITaskbarList3;

namespace teilomat {

// What DBusDesktop does on Linux, with the services of the Windows shell.
// Every call is made on the window's thread and returns at once; every
// failure is silent, so that without a task bar (a server core, Wine
// without a shell) the program runs as it would without a desktop.
//
// - Sleep: SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED)
//   keeps the machine from sleeping while the hold lasts; the screen may
//   still turn off. The state belongs to the calling thread, which is why
//   both calls come on the window's thread.
// - Progress: ITaskbarList3 on the window's task-bar button, created on the
//   first call (a COM object of the shell, some 100 µs once); each update
//   costs one call into the shell.
// - The end of a long command: the task-bar button flashes until the window
//   comes to the front (FlashWindowEx), and a notification with the verdict
//   and the duration appears beside the clock, where the shell has one
//   (QSystemTrayIcon); clicking it raises the window. The icon beside the
//   clock is removed as soon as the window is active again.
class TaskbarDesktop : public QObject, public DesktopBus {
  Q_OBJECT
 public:
  // window: the main window, whose task-bar button shows progress and flashes.
  explicit TaskbarDesktop(QWidget* window);
  ~TaskbarDesktop() override;

  void inhibitSleep() override;
  void releaseSleep() override;
  void showProgress(double fraction) override;
  void hideProgress() override;
  void notifyEnd(const std::string& verdict, const std::string& durationLine) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static constexpr unsigned long long kProgressSteps = 10000;

  // The shell's task-bar object, or null where there is none.
  ITaskbarList3* taskbar();
  void removeTrayIcon();
  void raiseWindow();

  QPointer<QWidget> window_;
  ITaskbarList3* taskbar_ = nullptr;
  bool taskbarTried_ = false;
  bool comStarted_ = false;  // this object's CoInitializeEx, undone at the end
  QSystemTrayIcon* tray_ = nullptr;
};

}  // namespace teilomat
