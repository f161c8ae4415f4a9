// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QStringView>
#include <QString>
#include <QStringList>

namespace tessaro {

// One single-quoted shell word: every "'" becomes "'\''" (close, escaped
// quote, reopen), so the shell passes text through unchanged.
inline QString shellQuote(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
  return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// A command as one line for people to read: each word as it is when a shell
// would take it so, else single-quoted.
// (Plain: one or more of [A-Za-z0-9_./:=,+@%-], tested by hand, as the root
// helper shows every command it runs and compiling a regular expression
// costs it more than the test.)
inline QString displayCommand(const QStringList& command) {
  const auto plain = [](const QString& word) {
    if (word.isEmpty()) return false;
    for (const QChar c : word) {
      const char16_t u = c.unicode();
      const bool letterOrDigit =
          (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9');
      if (!letterOrDigit && !QStringView(u"_./:=,+@%-").contains(c)) return false;
    }
    return true;
  };
  QStringList words;
  for (const QString& word : command) words << (plain(word) ? word : shellQuote(word));
  return words.join(QLatin1Char(' '));
}

}  // namespace tessaro
