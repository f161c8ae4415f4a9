// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>

#include "ui/DesktopNotification.h"

using namespace tessaro;

namespace {

// Stands in for the desktop's notification service on a private session bus.
class NotificationService : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  QStringList received;

 public slots:
  uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints,
              int timeout) {
    (void)replaces, (void)icon, (void)actions, (void)hints, (void)timeout;
    received << app + " | " + summary + " | " + body;
    return 1;
  }
};

}  // namespace

// Run by CTest inside dbus-run-session, a session bus of its own.
TEST(DesktopNotification, ReachesTheNotificationServiceOnTheSessionBus) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) GTEST_SKIP() << "no session bus (CTest runs this in dbus-run-session)";
  if (bus.interface()->isServiceRegistered("org.freedesktop.Notifications"))
    GTEST_SKIP() << "the desktop's own notification service runs on this bus";
  NotificationService service;
  ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &service,
                                 QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
  EXPECT_TRUE(DesktopNotification::send("Format finished", "Format complete."));
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return service.received == QStringList{"Tessaro | Format finished | Format complete."};
  })) << "waited for service.received";
  bus.unregisterService("org.freedesktop.Notifications");
  bus.unregisterObject("/org/freedesktop/Notifications");
}

#include "DesktopNotificationTest.moc"
