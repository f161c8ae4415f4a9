// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/LogicalSectorSize.h"

#include <QJsonValue>

namespace tessaro {

bool isValidLogicalSectorSize(qint64 bytes) {
  return bytes >= 512 && bytes <= 65536 && (bytes & (bytes - 1)) == 0;
}

std::optional<int> lsblkLogicalSectorSize(const QJsonObject& device) {
  const QJsonValue value = device.value(QLatin1String("log-sec"));
  if (value.isUndefined() || value.isNull()) return 512;
  qint64 bytes = 0;
  if (value.isString()) {
    bool ok = false;
    bytes = value.toString().toLongLong(&ok);
    if (!ok) return std::nullopt;
  } else if (value.isDouble()) {
    // A JSON number that is not a whole number in qint64's range reads as 0.
    bytes = value.toInteger(0);
  } else {
    return std::nullopt;
  }
  if (!isValidLogicalSectorSize(bytes)) return std::nullopt;
  return static_cast<int>(bytes);
}

}  // namespace tessaro
