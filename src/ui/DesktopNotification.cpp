// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QVariantMap>

namespace tessaro {

bool DesktopNotification::send(const QString& summary, const QString& body) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage notify = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  const QString desktopEntry = QGuiApplication::desktopFileName();
  QVariantMap hints;
  if (!desktopEntry.isEmpty()) hints.insert(QStringLiteral("desktop-entry"), desktopEntry);
  notify << QStringLiteral("Tessaro") << uint(0) << desktopEntry << summary << body << QStringList()
         << hints << int(-1);
  // The reply (the notification's id) is of no use: nothing waits for it.
  notify.setAutoStartService(true);
  return bus.send(notify);
}

}  // namespace tessaro
