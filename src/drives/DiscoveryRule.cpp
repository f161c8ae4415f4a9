// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DiscoveryRule.h"

#include "drives/ByteCount.h"
#include "drives/DevicePaths.h"

namespace tessaro {

QString driveDescription(qint64 size, const QString& model, const QString& bsdName) {
  QString text = QString::fromStdString(formatByteCount(size)) + QLatin1Char(' ');
  if (!model.isEmpty()) text += model + QLatin1Char(' ');
  return text + QLatin1Char('(') + bsdName + QLatin1Char(')');
}

Drive discoveredDrive(const QString& bsdName, const QString& model, qint64 size) {
  return Drive{QUuid::createUuid(),
               bsdName,
               devicePathOf(bsdName),
               driveDescription(size, model, bsdName),
               model,
               false,
               size};
}

}  // namespace tessaro
