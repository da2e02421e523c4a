// Helpers of the widget tests: a hang watchdog, a guard against real modal dialogs, child lookup.
#include "UiTestSupport.h"

#include <QDialog>
#include <cstdio>
#include <cstdlib>

namespace teilomat::testing {

Watchdog::Watchdog(std::chrono::seconds limit, std::string what) {
  thread_ = std::thread([this, limit, what = std::move(what)] {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
      std::fprintf(stderr, "\nWATCHDOG: %s hung for %lld s; ending the test program.\n", what.c_str(),
                   static_cast<long long>(limit.count()));
      std::fflush(stderr);
      std::abort();
    }
  });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  done_.notify_all();
  thread_.join();
}

ModalDialogGuard::ModalDialogGuard() {
  timer_.setInterval(20);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    ++seen_;
    ADD_FAILURE() << "unexpected modal dialog: " << modal->metaObject()->className() << " \""
                  << modal->windowTitle().toStdString() << "\"";
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    else modal->close();
  });
  timer_.start();
}

ModalDialogGuard::~ModalDialogGuard() { timer_.stop(); }

namespace {
std::string currentTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return info ? std::string(info->test_suite_name()) + "." + info->name() : "a test";
}
}  // namespace

UiTest::UiTest() : watchdog_(std::chrono::seconds(60), currentTestName()) {}

void UiTest::TearDown() {
  // Leave no window behind for the next test (an open one would keep a
  // later event loop from ending).
  for (QWidget* widget : QApplication::topLevelWidgets()) widget->close();
  settle();
}

void settle() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace teilomat::testing
