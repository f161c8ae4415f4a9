// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QRegularExpression>
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
inline QString displayCommand(const QStringList& command) {
  static const QRegularExpression plain(
      QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9_./:=,+@%-]+")));
  QStringList words;
  for (const QString& word : command) {
    words << (plain.match(word).hasMatch() ? word : shellQuote(word));
  }
  return words.join(QLatin1Char(' '));
}

}  // namespace tessaro
