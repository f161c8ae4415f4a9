// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "contract/Json.h"

namespace tessaro::contract {

// The step event: the argument vector of the tool the helper is about to
// run, as the "$ " line after it shows it to people. Member "command", an
// array of at least one text.
struct StepEvent {
  static constexpr const char* event = "step";

  std::vector<std::string> command;

  void writeTo(Json& members) const;
  static std::optional<StepEvent> readFrom(const Json& members);
  bool operator==(const StepEvent&) const = default;
};

}  // namespace tessaro::contract
