#pragma once

#include <QString>

namespace tessaro {

// One single-quoted shell word: every "'" becomes "'\''" (close, escaped
// quote, reopen), so the shell passes text through unchanged.
inline QString shellQuote(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
  return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

}  // namespace tessaro
