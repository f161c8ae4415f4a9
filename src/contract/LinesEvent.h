// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>

#include "contract/Json.h"

namespace tessaro::contract {

// The lines event of a run over several disks, without members of its own:
// the text frames that follow it, up to the next lines event, concern the
// disk the event names (HelperEvent's "disk").
struct LinesEvent {
  static constexpr const char* event = "lines";

  void writeTo(Json&) const {}
  static std::optional<LinesEvent> readFrom(const Json&) { return LinesEvent{}; }
  bool operator==(const LinesEvent&) const = default;
};

}  // namespace tessaro::contract
