// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/NotOfferedPhrase.h"

#include <QCoreApplication>

namespace tessaro {

QString notOfferedPhrase(const NotOfferedReason& reason) {
  const QString phrase = QCoreApplication::translate("NotOfferedReason", reason.phraseTemplate());
  if (!phrase.contains(QLatin1String("%1"))) return phrase;
  return phrase.arg(QString::fromStdString(reason.detail()));
}

}  // namespace tessaro
