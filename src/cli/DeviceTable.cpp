// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/DeviceTable.h"

#include "cli/TextColumns.h"
#include "drives/TranslatedWording.h"
#include "drives/NumberLocale.h"
#include "exec/VisibleText.h"

namespace tessaro {

namespace {

// One field on one line of its own: controls, tabs and line feeds escaped.
QString field(const std::string& text) {
  return QString::fromStdString(visibleText(text, LineFeeds::escape))
      .replace(QLatin1Char('\t'), QStringLiteral("\\x09"));
}

}  // namespace

QStringList DeviceTable::lines(const std::vector<BlockDevice>& devices, Shape shape) {
  QList<QStringList> rows;
  // The column names are the same in every language, as lsblk's are.
  QStringList header{QStringLiteral("NAME"), QStringLiteral("SIZE"), QStringLiteral("TYPE"),
                     QStringLiteral("TRAN"), QStringLiteral("MODEL")};
  if (shape.reasons) header << QStringLiteral("REASON");
  if (shape.header) rows << header;
  for (const BlockDevice& device : devices) {
    QStringList row{field(device.name), formatByteCount(device.size, userNumberLocale()),
                    field(device.type), field(device.transport),
                    field(device.product.empty() ? device.model : device.product)};
    if (shape.reasons) row << (device.reason ? field(device.reason->phrase(TranslatedWording())) : QString());
    rows << row;
  }
  // SIZE is a number: aligned on the right, as lsblk does.
  return TextColumns::lines(rows, shape.aligned, {1});
}

}  // namespace tessaro
