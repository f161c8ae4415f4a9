// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/InfoFactsJson.h"

#include "drives/DevicePaths.h"
#include "drives/DriveFactsJson.h"

namespace tessaro {

QJsonObject InfoFactsJson::fromFacts(const std::optional<DriveFacts>& facts,
                                     const QString& bsdName) {
  DriveFacts shown = facts.value_or(DriveFacts{});
  if (shown.disk.deviceNode && shown.disk.deviceNode->isEmpty())
    shown.disk.deviceNode = devicePathOf(bsdName);
  return DriveFactsJson::toObject(shown);
}

}  // namespace tessaro
