// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/PkexecReason.h"

#include <QStringList>

#include "exec/OutputLineDecoder.h"

namespace tessaro {

QString pkexecReason(const QByteArray& errorOutput) {
  static const QString leadIn = QStringLiteral("Error executing command as another user: ");
  static const QString reported = QStringLiteral("This incident has been reported.");
  OutputLineDecoder decoder(1024);
  QStringList lines = decoder.feed(errorOutput);
  lines += decoder.finish();
  for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
    QString said = line->trimmed();
    if (said.isEmpty() || said == reported) continue;
    if (said.startsWith(leadIn)) said.remove(0, leadIn.size());
    // Control characters would let a stray program draw on the log's lines.
    for (QChar& c : said) {
      if (c.category() == QChar::Other_Control) c = QChar::ReplacementCharacter;
    }
    return said;
  }
  return {};
}

}  // namespace tessaro
