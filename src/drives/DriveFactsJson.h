// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>
#include <optional>

#include "drives/DriveFacts.h"
#include "exec/HelperEvent.h"

namespace tessaro {

// DriveFacts as one JSON object: "disk" and "partition" (null without one),
// each with the values the report's lines show. What was not reported is
// null; flags are true or false; sizes are whole numbers of bytes, null below
// 1. The helper on Linux tells it as its result event (verb "info").
class DriveFactsJson {
 public:
  static QJsonObject toObject(const DriveFacts& facts);
  // The info verb's result event, and back. fromEvent raises
  // Error(ErrorDomain::json, ...) on anything but such an event as event()
  // wrote: none, another verb's, a key missing, a value of another type, a
  // size that is no whole number of bytes.
  static HelperEvent event(const DriveFacts& facts);
  static DriveFacts fromEvent(const std::optional<HelperEvent>& result);
};

}  // namespace tessaro
