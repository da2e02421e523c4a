// The desktop on Windows: the task bar's progress, a hold on sleep and a flashing button with a notification.
#include "app/windows/TaskbarDesktop.h"

#include <QEvent>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cmath>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include "app/TeilomatIcon.h"

namespace teilomat {

TaskbarDesktop::TaskbarDesktop(QWidget* window) : window_(window) {
  if (window_) window_->installEventFilter(this);
}

TaskbarDesktop::~TaskbarDesktop() {
  removeTrayIcon();
  if (taskbar_) taskbar_->Release();
  if (comStarted_) CoUninitialize();
}

ITaskbarList3* TaskbarDesktop::taskbar() {
  if (taskbarTried_) return taskbar_;
  taskbarTried_ = true;
  // Qt's windows plugin has usually started COM on this thread already;
  // then this call only counts up, and the destructor counts down again.
  const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  comStarted_ = SUCCEEDED(started);
  ITaskbarList3* list = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                 reinterpret_cast<void**>(&list)))) {
    if (SUCCEEDED(list->HrInit())) taskbar_ = list;
    else list->Release();
  }
  return taskbar_;
}

void TaskbarDesktop::inhibitSleep() { SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED); }

void TaskbarDesktop::releaseSleep() { SetThreadExecutionState(ES_CONTINUOUS); }

void TaskbarDesktop::showProgress(double fraction) {
  if (!window_ || !taskbar()) return;
  const HWND button = reinterpret_cast<HWND>(window_->winId());
  const auto done = static_cast<ULONGLONG>(std::lround(fraction * kProgressSteps));
  taskbar_->SetProgressState(button, TBPF_NORMAL);
  taskbar_->SetProgressValue(button, done, kProgressSteps);
}

void TaskbarDesktop::hideProgress() {
  if (!window_ || !taskbar()) return;
  taskbar_->SetProgressState(reinterpret_cast<HWND>(window_->winId()), TBPF_NOPROGRESS);
}

void TaskbarDesktop::notifyEnd(const std::string& verdict, const std::string& durationLine) {
  if (!window_ || !window_->isVisible()) return;
  FLASHWINFO flash{};
  flash.cbSize = sizeof flash;
  flash.hwnd = reinterpret_cast<HWND>(window_->winId());
  flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;  // until the window comes to the front
  FlashWindowEx(&flash);
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  if (!tray_) {
    tray_ = new QSystemTrayIcon(teilomatIcon(), this);
    tray_->setToolTip(QStringLiteral("Teilomat"));
    connect(tray_, &QSystemTrayIcon::messageClicked, this, &TaskbarDesktop::raiseWindow);
    connect(tray_, &QSystemTrayIcon::activated, this, &TaskbarDesktop::raiseWindow);
  }
  tray_->show();
  tray_->showMessage(QString::fromStdString(verdict), QString::fromStdString(durationLine), teilomatIcon());
}

bool TaskbarDesktop::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::WindowActivate) removeTrayIcon();
  return QObject::eventFilter(watched, event);
}

void TaskbarDesktop::removeTrayIcon() {
  if (!tray_) return;
  tray_->hide();
  tray_->deleteLater();
  tray_ = nullptr;
}

void TaskbarDesktop::raiseWindow() {
  removeTrayIcon();
  if (!window_ || !window_->isVisible()) return;  // a closed window stays closed
  if (window_->isMinimized()) window_->showNormal();
  window_->raise();
  window_->activateWindow();
}

}  // namespace teilomat
