// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DriveFactsJson.h"

namespace tessaro {

contract::HelperEvent DriveFactsJson::event(const DriveFacts& facts) {
  return contract::HelperEvent(contract::DriveFacts(facts));
}

std::optional<DriveFacts> DriveFactsJson::fromEvent(
    const std::optional<contract::HelperEvent>& result, std::string* why) {
  const auto refuse = [why](const char* reason) {
    if (why) *why = reason;
    return std::nullopt;
  };
  if (!result) return refuse("the helper told none");
  const contract::DriveFacts* told = result->get<contract::DriveFacts>();
  if (!told) return refuse("the helper told another verb's result");
  return DriveFacts{*told};
}

}  // namespace tessaro
