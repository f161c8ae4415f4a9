// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/NumberLocale.h"

#include <QCoreApplication>

namespace tessaro {

QLocale userNumberLocale() {
  //: The locale whose numbers Tessaro shows (decimal point, digit grouping).
  return QLocale(QCoreApplication::translate("NumberLocale", "en_US"));
}

QString formatByteCount(qint64 bytes, const QLocale& numbers) {
  return QString::fromStdString(
      formatByteCount(std::int64_t(bytes), numbers.decimalPoint().toStdString()));
}

}  // namespace tessaro
