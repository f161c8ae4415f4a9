// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/TextColumns.h"

#include <algorithm>

namespace tessaro {

QStringList TextColumns::lines(const QList<QStringList>& rows, bool aligned,
                               const QList<qsizetype>& rightAligned) {
  QStringList lines;
  if (!aligned) {
    for (const QStringList& row : rows) lines << row.join(QLatin1Char('\t'));
    return lines;
  }
  QList<qsizetype> widths;
  for (const QStringList& row : rows) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (qsizetype i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  for (const QStringList& row : rows) {
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i) {
      const QString cell = rightAligned.contains(i) ? row[i].rightJustified(widths[i]) : row[i];
      line += i + 1 < row.size() ? cell.leftJustified(widths[i]) + QStringLiteral("  ") : cell;
    }
    // An empty last column leaves no blanks at the end.
    while (line.endsWith(QLatin1Char(' '))) line.chop(1);
    lines << line;
  }
  return lines;
}

}  // namespace tessaro
