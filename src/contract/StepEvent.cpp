// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/StepEvent.h"

namespace tessaro::contract {

void StepEvent::writeTo(Json& members) const {
  Json::Array words;
  for (const std::string& word : command) words.emplace_back(word);
  members.set("command", std::move(words));
}

std::optional<StepEvent> StepEvent::readFrom(const Json& members) {
  const Json* words = members.find("command");
  if (!words || !words->array() || words->array()->empty()) return std::nullopt;
  StepEvent step;
  for (const Json& word : *words->array()) {
    if (!word.string()) return std::nullopt;
    step.command.push_back(*word.string());
  }
  return step;
}

}  // namespace tessaro::contract
