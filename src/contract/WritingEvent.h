// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>

#include "contract/Json.h"

namespace tessaro::contract {

// The writing event, without members: from here on the run changes the drive.
struct WritingEvent {
  static constexpr const char* event = "writing";

  void writeTo(Json&) const {}
  static std::optional<WritingEvent> readFrom(const Json&) { return WritingEvent{}; }
  bool operator==(const WritingEvent&) const = default;
};

}  // namespace tessaro::contract
