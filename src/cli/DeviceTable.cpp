// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/DeviceTable.h"

#include "drives/ByteCount.h"
#include "exec/VisibleText.h"

namespace tessaro {

namespace {

// One field on one line of its own: controls, tabs and line feeds escaped.
QString field(const QString& text) {
  return visibleText(text, LineFeeds::escape).replace(QLatin1Char('\t'), QStringLiteral("\\x09"));
}

}  // namespace

QStringList DeviceTable::lines(const QList<BlockDevice>& devices, Shape shape) {
  QList<QStringList> rows;
  // The column names are the same in every language, as lsblk's are.
  QStringList header{QStringLiteral("NAME"), QStringLiteral("SIZE"), QStringLiteral("TYPE"),
                     QStringLiteral("TRAN"), QStringLiteral("MODEL")};
  if (shape.reasons) header << QStringLiteral("REASON");
  if (shape.header) rows << header;
  for (const BlockDevice& device : devices) {
    QStringList row{field(device.name), formatByteCount(device.size, userNumberLocale()),
                    field(device.type), field(device.transport),
                    field(device.product.isEmpty() ? device.model : device.product)};
    if (shape.reasons) row << (device.reason ? field(device.reason->phrase()) : QString());
    rows << row;
  }

  QStringList lines;
  if (!shape.aligned) {
    for (const QStringList& row : rows) lines << row.join(QLatin1Char('\t'));
    return lines;
  }
  QList<qsizetype> widths(header.size(), 0);
  for (const QStringList& row : rows)
    for (qsizetype i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  for (const QStringList& row : rows) {
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i) {
      // SIZE is a number: aligned on the right, as lsblk does.
      const bool right = i == 1;
      const QString cell = right ? row[i].rightJustified(widths[i]) : row[i];
      line += i + 1 < row.size() ? cell.leftJustified(widths[i]) + QStringLiteral("  ") : cell;
    }
    // An empty last column leaves no blanks at the end.
    while (line.endsWith(QLatin1Char(' '))) line.chop(1);
    lines << line;
  }
  return lines;
}

}  // namespace tessaro
