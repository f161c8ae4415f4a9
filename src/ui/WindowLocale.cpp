// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/WindowLocale.h"

#include "drives/NumberLocale.h"

namespace tessaro {

QLocale windowLocale() { return userNumberLocale(); }

QString windowByteCount(qint64 bytes) { return formatByteCount(bytes, windowLocale()); }

// Discovery describes a drive beginning with its size, which is all that
// changes; any other description is shown as it is.
QString windowDriveDescription(const Drive& drive) {
  const QString size = QString::fromStdString(formatByteCount(drive.size));
  if (drive.size <= 0 || !drive.description.startsWith(size + QLatin1Char(' ')))
    return drive.description;
  return windowByteCount(drive.size) + drive.description.mid(size.size());
}

}  // namespace tessaro
