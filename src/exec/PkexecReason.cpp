// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/PkexecReason.h"

#include <QStringList>
#include <algorithm>

#include "exec/OutputLineDecoder.h"

namespace tessaro {

QString pkexecReason(const QByteArray& errorOutput) {
  static const QString leadIn = QStringLiteral("Error executing command as another user: ");
  static const QString reported = QStringLiteral("This incident has been reported.");
  // What pkexec's own text agent says around a password prompt.
  static const QStringList agentChatter{QStringLiteral("===="), QStringLiteral("Authentication is"),
                                        QStringLiteral("Authenticating as")};
  OutputLineDecoder decoder(1024);
  QStringList lines = decoder.feed(errorOutput);
  lines += decoder.finish();
  // pkexec's last word, and before it the lines of its agent's helper that
  // say why (a failed PAM conversation), oldest first.
  QString reason;
  QStringList because;
  for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
    QString said = line->trimmed();
    if (said.isEmpty() || said == reported) continue;
    if (said.startsWith(leadIn)) said.remove(0, leadIn.size());
    // Control characters would let a stray program draw on the log's lines.
    for (QChar& c : said) {
      if (c.category() == QChar::Other_Control) c = QChar::ReplacementCharacter;
    }
    if (reason.isEmpty()) {
      reason = said;
      continue;
    }
    // What came before the password was asked is no part of this refusal.
    if (said.startsWith(QLatin1String("Password:")) || because.size() == 2) break;
    const bool chatter = std::any_of(agentChatter.cbegin(), agentChatter.cend(),
                                     [&](const QString& lead) { return said.startsWith(lead); });
    if (!chatter) because.prepend(said);
  }
  if (because.isEmpty()) return reason;
  return reason + QStringLiteral(" (") + because.join(QStringLiteral("; ")) + QLatin1Char(')');
}

}  // namespace tessaro
