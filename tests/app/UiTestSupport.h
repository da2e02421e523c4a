// Helpers of the widget tests: a hang watchdog, a guard against real modal dialogs, child lookup.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>

namespace teilomat::testing {

// Ends the whole test program when a test runs longer than its limit, so
// that a hanging event loop or command fails instead of blocking the run.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit, std::string what);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

// While alive, checks every 20 ms of event processing for a modal dialog;
// one that shows up is a test failure and is closed, so the test goes on.
class ModalDialogGuard {
 public:
  ModalDialogGuard();
  ~ModalDialogGuard();
  int dialogsSeen() const { return seen_; }

 private:
  QTimer timer_;
  int seen_ = 0;
};

// The base of the widget tests: a watchdog of 60 s and the dialog guard.
class UiTest : public ::testing::Test {
 protected:
  UiTest();
  void TearDown() override;

  Watchdog watchdog_;
  ModalDialogGuard dialogGuard_;
};

// The named child, failing the test when it is missing or of another kind.
template <class T>
T* child(const QWidget& parent, const char* name) {
  T* found = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << "no " << name;
  return found;
}

// Runs posted events, deferred deletions included.
void settle();

}  // namespace teilomat::testing
