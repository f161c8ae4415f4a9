// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/VisibleText.h"

namespace tessaro {

namespace {

bool isControl(char16_t c, LineFeeds lineFeeds) {
  if (c == u'\t') return false;
  if (c == u'\n') return lineFeeds == LineFeeds::escape;
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

QString visibleText(const QString& text, LineFeeds lineFeeds) {
  qsizetype first = 0;
  while (first < text.size() && !isControl(text.at(first).unicode(), lineFeeds)) ++first;
  if (first == text.size()) return text;
  QString visible = text.left(first);
  visible.reserve(text.size() + 8);
  for (qsizetype i = first; i < text.size(); ++i) {
    const char16_t c = text.at(i).unicode();
    if (!isControl(c, lineFeeds)) {
      visible += QChar(c);
      continue;
    }
    visible += QStringLiteral("\\x") +
               QStringLiteral("%1").arg(int(c), 2, 16, QLatin1Char('0')).toUpper();
  }
  return visible;
}

}  // namespace tessaro
