// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>

#include "contract/HelperEvent.h"
#include "drives/DriveFacts.h"
#include "exec/HelperEvent.h"

namespace tessaro {

// DriveFacts as the helper's info verb tells them on Linux, its result event
// (contract::DriveFacts, whose codec reads them strictly), and back.
class DriveFactsJson {
 public:
  static contract::DriveFacts wire(const DriveFacts& facts);
  static DriveFacts fromWire(const contract::DriveFacts& told);
  // The info verb's result event, and back. fromEvent raises
  // Error(ErrorDomain::json, ...) on anything but such an event: none,
  // another verb's, a member missing, a value of another type, a size that
  // is no whole number of bytes.
  static contract::HelperEvent event(const DriveFacts& facts);
  static DriveFacts fromEvent(const std::optional<HelperEvent>& result);
};

}  // namespace tessaro
