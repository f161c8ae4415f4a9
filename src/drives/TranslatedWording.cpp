// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/TranslatedWording.h"

#include <QCoreApplication>
#include <QLocale>

namespace tessaro {

std::string TranslatedWording::translated(const char* context, const char* text) const {
  return QCoreApplication::translate(context, text).toStdString();
}

std::string TranslatedWording::grouped(std::int64_t number) const {
  //: The locale whose digit grouping the cluster counts use.
  return QLocale(QCoreApplication::translate("FormatRequestRules", "en_US"))
      .toString(qint64(number))
      .toStdString();
}

}  // namespace tessaro
