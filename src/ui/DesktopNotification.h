// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// A desktop notification through the freedesktop.org notification service
// on the session bus. Where there is no session bus, or no service on it,
// nothing is shown and nothing waits.
class DesktopNotification {
 public:
  // True when the message was handed to the bus.
  static bool send(const QString& summary, const QString& body);
};

}  // namespace tessaro
