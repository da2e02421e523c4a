// What the desktop is told about long commands: a hold on idle sleep, launcher progress, a notification.
#pragma once

#include <string>

namespace teilomat {

// Implemented over D-Bus (DBusDesktop) and, in the tests, by a recorder.
// Every call returns at once: an implementation that talks to other
// processes does so asynchronously and drops what it cannot deliver.
class DesktopBus {
 public:
  // One hold on idle sleep; the caller never takes a second before releasing the first.
  virtual void inhibitSleep() = 0;
  virtual void releaseSleep() = 0;
  // fraction: 0 to 1, shown on the program's launcher or task-bar entry.
  virtual void showProgress(double fraction) = 0;
  virtual void hideProgress() = 0;
  // A notification of an ended command; its default action raises the window.
  virtual void notifyEnd(const std::string& verdict, const std::string& durationLine) = 0;

 protected:
  // Never owned through this interface: the window and the session only borrow it.
  ~DesktopBus() = default;
};

}  // namespace teilomat
