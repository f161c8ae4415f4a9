// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/WindowLocale.h"

#include <QCoreApplication>

#include "drives/ByteCount.h"

namespace tessaro {

QLocale windowLocale() {
  //: The locale whose numbers the window shows (decimal point, digit grouping).
  return QLocale(QCoreApplication::translate("WindowLocale", "en_US"));
}

QString windowByteCount(qint64 bytes) { return formatByteCount(bytes, windowLocale()); }

// Discovery describes a drive beginning with its size, which is all that
// changes; any other description is shown as it is.
QString windowDriveDescription(const Drive& drive) {
  const QString size = formatByteCount(drive.size);
  if (drive.size <= 0 || !drive.description.startsWith(size + QLatin1Char(' ')))
    return drive.description;
  return windowByteCount(drive.size) + drive.description.mid(size.size());
}

}  // namespace tessaro
