// The desktop over the D-Bus session bus: idle inhibition, launcher progress and notifications.
#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVariantList>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/DesktopBus.h"

class QDBusMessage;
class QWidget;

namespace teilomat {

// Nothing touches the bus before the first call: a program that never runs
// a long command never connects. Every call is asynchronous with a short
// timeout, and every failure is silent: without a session bus, or without
// the services, the program runs as it would without a desktop.
//
// - Idle sleep: org.freedesktop.portal.Inhibit (flag idle) where a portal
//   answers, else org.freedesktop.ScreenSaver Inhibit/UnInhibit. The route
//   that worked is tried first the next time. A release asked for while the
//   hold is still being granted is sent as soon as the answer comes.
// - Progress: com.canonical.Unity.LauncherEntry Update signals for
//   application://org.example.Teilomat.desktop (no reply, no service needed).
// - Notifications: org.freedesktop.Notifications Notify, else the portal's
//   AddNotification; the default action raises the window.
class DBusDesktop : public QObject, public DesktopBus {
  Q_OBJECT
 public:
  static constexpr int kReplyTimeoutMs = 5000;

  // window: raised by a notification's default action.
  explicit DBusDesktop(QWidget* window);

  void inhibitSleep() override;
  void releaseSleep() override;
  void showProgress(double fraction) override;
  void hideProgress() override;
  void notifyEnd(const std::string& verdict, const std::string& durationLine) override;

 private Q_SLOTS:
  void notificationAction(uint id, const QString& action);
  void portalNotificationAction(const QString& id, const QString& action, const QVariantList& parameter);

 private:
  enum class Route { Portal, ScreenSaver };
  enum class Hold { None, Asking, Held };

  // The session bus, connected on first use; null when there is none.
  QDBusConnection* bus();
  // Calls asynchronously; `done` gets the reply or the error.
  void call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> done);
  void askHold(Route route, bool fallBack);
  void sendRelease();
  void launcherUpdate(double progress, bool visible);
  void notifyByPortal(const QString& title, const QString& body);
  void raiseWindow();

  QPointer<QWidget> window_;
  std::optional<QDBusConnection> bus_;
  bool busTried_ = false;

  bool wanted_ = false;
  Hold hold_ = Hold::None;
  Route route_ = Route::Portal;  // the route tried first
  Route heldBy_ = Route::Portal;
  std::uint32_t cookie_ = 0;
  QDBusObjectPath request_;

  bool listening_ = false;
  bool portalListening_ = false;
  QSet<uint> notifications_;
  QSet<QString> portalNotifications_;
  int portalNotificationCount_ = 0;
};

}  // namespace teilomat
