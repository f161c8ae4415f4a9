// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>
#include <string>

#include "contract/HelperEvent.h"
#include "drives/DriveFacts.h"

namespace tessaro {

// DriveFacts as the helper's info verb tells them on Linux: its result event
// (contract::DriveFacts, whose codec reads them strictly), and back.
class DriveFactsJson {
 public:
  static contract::HelperEvent event(const DriveFacts& facts);
  // The facts of the info verb's result event; none for anything else (no
  // event, another verb's result), and then why, in English, in *why.
  static std::optional<DriveFacts> fromEvent(const std::optional<contract::HelperEvent>& result,
                                             std::string* why = nullptr);
};

}  // namespace tessaro
