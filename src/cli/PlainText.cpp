// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/PlainText.h"

#include <QCoreApplication>

namespace tessaro {

namespace {

struct PlainWords {
  Q_DECLARE_TR_FUNCTIONS(PlainText)
};

constexpr char32_t kWarningSign = 0x26A0;
constexpr char32_t kMissingValueDash = 0x2014;  // em dash

// The symbols Tessaro puts before its own lines: check mark, cross mark,
// information source, warning sign.
bool isOwnSymbol(char32_t c) {
  return c == 0x2705 || c == 0x274C || c == 0x2139 || c == kWarningSign;
}

}  // namespace

QString PlainText::of(const QString& line) {
  const QList<uint> codePoints = line.toUcs4();
  QString plain;
  plain.reserve(line.size());
  for (qsizetype i = 0; i < codePoints.size(); ++i) {
    const char32_t c = codePoints.at(i);
    if (c == kMissingValueDash) {
      plain += QLatin1Char('-');
      continue;
    }
    if (!isOwnSymbol(c)) {
      plain += QString::fromUcs4(&c, 1);
      continue;
    }
    // The selector that shows it as an emoji goes with it.
    if (i + 1 < codePoints.size() && codePoints.at(i + 1) == 0xFE0F) ++i;
    if (c == kWarningSign) {
      plain += PlainWords::tr("Warning:");
      continue;
    }
    // A symbol that led the line leaves no blank behind.
    const bool lineStart = plain.isEmpty() || plain.endsWith(QLatin1Char('\n'));
    if (lineStart && i + 1 < codePoints.size() && codePoints.at(i + 1) == ' ') ++i;
  }
  return plain;
}

}  // namespace tessaro
