// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>
#include <QString>

namespace tessaro {

// The facts of the drive information report as one JSON object, for
// `tessaro-cli info --json`: "disk" and "partition" (null without one), each
// with the values the report's lines show. What the report shows as missing
// is null; flags are true or false; sizes are numbers of bytes.
class InfoFactsJson {
 public:
  // From the output the report is made from, the disk's document first.
  static QJsonObject fromReportOutput(const QString& output, const QString& bsdName);
};

}  // namespace tessaro
