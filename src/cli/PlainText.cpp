// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/PlainText.h"

#include <QCoreApplication>

namespace tessaro {

namespace {

struct PlainWords {
  Q_DECLARE_TR_FUNCTIONS(PlainText)
};

// Pictographs, dingbats and other symbols, and the selector and joiner that
// build emoji from them.
bool isSymbol(char32_t c) {
  return c == 0xFE0F || c == 0x200D || QChar::category(c) == QChar::Symbol_Other;
}

}  // namespace

QString PlainText::of(const QString& line) {
  const QList<uint> codePoints = line.toUcs4();
  QString plain;
  plain.reserve(line.size());
  for (qsizetype i = 0; i < codePoints.size(); ++i) {
    const char32_t c = codePoints.at(i);
    // Any character shown as an emoji ("\u2139\uFE0F" is a letter otherwise).
    const bool emoji = i + 1 < codePoints.size() && codePoints.at(i + 1) == 0xFE0F;
    if (c == 0x26A0) {  // warning sign
      plain += PlainWords::tr("Warning:");
    } else if (c == 0x2014) {  // em dash: a missing value
      plain += QLatin1Char('-');
    } else if (!emoji && !isSymbol(c)) {
      plain += QString::fromUcs4(&c, 1);
      continue;
    }
    while (i + 1 < codePoints.size() && isSymbol(codePoints.at(i + 1))) ++i;
    // A symbol that led the line leaves no blank behind.
    const bool lineStart = plain.isEmpty() || plain.endsWith(QLatin1Char('\n'));
    if (c != 0x26A0 && lineStart && i + 1 < codePoints.size() && codePoints.at(i + 1) == ' ') ++i;
  }
  return plain;
}

}  // namespace tessaro
