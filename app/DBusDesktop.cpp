// The desktop over the D-Bus session bus: idle inhibition, launcher progress and notifications.
#include "app/DBusDesktop.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>

#include "app/ApplicationSetup.h"

namespace teilomat {
namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kApplicationName = QStringLiteral("Teilomat");
const QString kInhibitReason = QStringLiteral("Teilomat rechnet");
constexpr uint kPortalInhibitIdle = 8;

QString desktopId() { return QString::fromLatin1(ApplicationSetup::kDesktopId); }

}  // namespace

DBusDesktop::DBusDesktop(QWidget* window) : window_(window) {}

QDBusConnection* DBusDesktop::bus() {
  if (!busTried_) {
    busTried_ = true;
    QDBusConnection connection = QDBusConnection::sessionBus();
    if (connection.isConnected()) bus_ = connection;
  }
  return bus_ ? &*bus_ : nullptr;
}

void DBusDesktop::call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> done) {
  auto* watcher = new QDBusPendingCallWatcher(bus()->asyncCall(message, kReplyTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
    watcher->deleteLater();
    done(watcher->reply());
  });
}

void DBusDesktop::inhibitSleep() {
  wanted_ = true;
  if (hold_ == Hold::None) askHold(route_, true);
}

void DBusDesktop::releaseSleep() {
  wanted_ = false;
  if (hold_ == Hold::Held) sendRelease();
}

void DBusDesktop::askHold(Route route, bool fallBack) {
  if (!bus()) return;
  QDBusMessage message;
  if (route == Route::Portal) {
    message = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    // The portal may tie the hold to the window; on X11 it is named so.
    QString parent;
    if (window_ && QGuiApplication::platformName() == QLatin1String("xcb"))
      parent = QStringLiteral("x11:") + QString::number(window_->winId(), 16);
    message << parent << kPortalInhibitIdle << QVariantMap{{QStringLiteral("reason"), kInhibitReason}};
  } else {
    message = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, QStringLiteral("Inhibit"));
    message << kApplicationName << kInhibitReason;
  }
  hold_ = Hold::Asking;
  // A hold granted after the timeout is not known here; the desktop drops
  // it when the program's connection ends.
  call(message, [this, route, fallBack](const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
      hold_ = Hold::None;
      if (fallBack && wanted_) askHold(route == Route::Portal ? Route::ScreenSaver : Route::Portal, false);
      return;
    }
    hold_ = Hold::Held;
    route_ = heldBy_ = route;
    if (route == Route::Portal) request_ = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst());
    else cookie_ = reply.arguments().constFirst().toUInt();
    if (!wanted_) sendRelease();
  });
}

void DBusDesktop::sendRelease() {
  hold_ = Hold::None;
  QDBusMessage message;
  if (heldBy_ == Route::Portal) {
    message = QDBusMessage::createMethodCall(kPortalService, request_.path(),
                                             QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"));
  } else {
    message = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, QStringLiteral("UnInhibit"));
    message << cookie_;
  }
  bus()->send(message);
}

void DBusDesktop::showProgress(double fraction) { launcherUpdate(fraction, true); }
void DBusDesktop::hideProgress() { launcherUpdate(0.0, false); }

void DBusDesktop::launcherUpdate(double progress, bool visible) {
  if (!bus()) return;
  QDBusMessage signal =
      QDBusMessage::createSignal(QStringLiteral("/org/example/Teilomat/LauncherEntry"),
                                 QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
  signal << QStringLiteral("application://%1.desktop").arg(desktopId())
         << QVariantMap{{QStringLiteral("progress"), progress}, {QStringLiteral("progress-visible"), visible}};
  bus()->send(signal);
}

void DBusDesktop::notifyEnd(const std::string& verdict, const std::string& durationLine) {
  if (!bus()) return;
  const QString title = QString::fromStdString(verdict);
  const QString body = QString::fromStdString(durationLine);
  if (!listening_) {
    // Any sender: naming the service would make Qt look up its owner and wait.
    listening_ = bus()->connect(QString(), kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"), this,
                                SLOT(notificationAction(uint, QString)));
  }
  QDBusMessage message =
      QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kNotifications, QStringLiteral("Notify"));
  message << kApplicationName << uint(0) << desktopId() << title << body
          << QStringList{QStringLiteral("default"), QStringLiteral("Anzeigen")}
          << QVariantMap{{QStringLiteral("desktop-entry"), desktopId()}} << int(-1);
  call(message, [this, title, body](const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
      notifications_.insert(reply.arguments().constFirst().toUInt());
    else notifyByPortal(title, body);
  });
}

void DBusDesktop::notifyByPortal(const QString& title, const QString& body) {
  if (!portalListening_) {
    portalListening_ = bus()->connect(QString(), kPortalPath, QStringLiteral("org.freedesktop.portal.Notification"),
                                      QStringLiteral("ActionInvoked"), this,
                                      SLOT(portalNotificationAction(QString, QString, QVariantList)));
  }
  const QString id = QStringLiteral("teilomat-%1").arg(++portalNotificationCount_);
  QDBusMessage message =
      QDBusMessage::createMethodCall(kPortalService, kPortalPath, QStringLiteral("org.freedesktop.portal.Notification"),
                                     QStringLiteral("AddNotification"));
  message << id
          << QVariantMap{{QStringLiteral("title"), title},
                         {QStringLiteral("body"), body},
                         {QStringLiteral("default-action"), QStringLiteral("raise")}};
  portalNotifications_.insert(id);
  call(message, [](const QDBusMessage&) {});
}

void DBusDesktop::notificationAction(uint id, const QString& action) {
  if (action == QLatin1String("default") && notifications_.remove(id)) raiseWindow();
}

void DBusDesktop::portalNotificationAction(const QString& id, const QString& action, const QVariantList&) {
  if (action == QLatin1String("raise") && portalNotifications_.remove(id)) raiseWindow();
}

void DBusDesktop::raiseWindow() {
  if (!window_ || !window_->isVisible()) return;  // a closed window stays closed
  if (window_->isMinimized()) window_->showNormal();
  window_->raise();
  window_->activateWindow();
}

}  // namespace teilomat
