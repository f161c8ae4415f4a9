// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include "drives/DriveFacts.h"

namespace tessaro {

// DriveFacts as one JSON object: "disk" and "partition" (null without one),
// each with the values the report's lines show. What was not reported is
// null; flags are true or false; sizes are whole numbers of bytes, null below
// 1. The helper prints it on Linux; `tessaro-cli info --json` prints it too.
class DriveFactsJson {
 public:
  static QJsonObject toObject(const DriveFacts& facts);
  // Indented, so that no line of it comes near an output line's limit.
  static QByteArray toText(const DriveFacts& facts);
  // Reads what toText wrote. Raises Error(ErrorDomain::json, ...) on anything
  // else: text that is not JSON, a key missing, a value of another type, a
  // size that is no whole number of bytes.
  static DriveFacts fromText(const QString& text);
};

}  // namespace tessaro
