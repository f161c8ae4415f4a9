// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

#include "drives/DriveFacts.h"

namespace tessaro {

// The facts of the drive information report as one JSON object, for
// `tessaro-cli info --json`, in DriveFactsJson's form. As in the report, a
// device node reported empty is the disk's own path.
class InfoFactsJson {
 public:
  // No facts read as a disk of which nothing is known.
  static QJsonObject fromFacts(const std::optional<DriveFacts>& facts, const QString& bsdName);
};

}  // namespace tessaro
