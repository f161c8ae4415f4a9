// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// The device path of a disk or partition identifier ("sdb1" -> "/dev/sdb1").
inline QString devicePathOf(const QString& bsdName) { return QStringLiteral("/dev/") + bsdName; }

// macOS: every "/dev/" of a device path replaced by "/dev/r", the raw node.
inline QString rawDevicePathOf(const QString& devicePath) {
  QString raw = devicePath;
  return raw.replace(QStringLiteral("/dev/"), QStringLiteral("/dev/r"));
}

}  // namespace tessaro
