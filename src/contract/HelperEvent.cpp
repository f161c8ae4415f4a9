// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/HelperEvent.h"

#include <algorithm>

#include "contract/HelperContract.h"

namespace tessaro::contract {

namespace {

template <typename T>
constexpr const char* verbOf() {
  if constexpr (requires { T::verb; }) {
    return T::verb;
  } else {
    return nullptr;
  }
}

// The payload of the kind (and verb) event names, read from members.
template <size_t I = 0>
std::optional<HelperEvent::Payload> readPayload(const std::string& event, const std::string* verb,
                                                const Json& members) {
  if constexpr (I == std::variant_size_v<HelperEvent::Payload>) {
    return std::nullopt;
  } else {
    using T = std::variant_alternative_t<I, HelperEvent::Payload>;
    constexpr const char* ownVerb = verbOf<T>();
    if (event != T::event || (ownVerb && (!verb || *verb != ownVerb)))
      return readPayload<I + 1>(event, verb, members);
    std::optional<T> payload = T::readFrom(members);
    if (!payload) return std::nullopt;
    return HelperEvent::Payload(std::move(*payload));
  }
}

// Members in name order at every depth, as the events have always been written.
void sortMembers(Json& value) {
  if (const Json::Array* items = value.array()) {
    Json::Array sorted = *items;
    for (Json& item : sorted) sortMembers(item);
    value = Json(std::move(sorted));
  } else if (const Json::Object* members = value.object()) {
    Json::Object sorted = *members;
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& member : sorted) sortMembers(member.second);
    value = Json(std::move(sorted));
  }
}

}  // namespace

HelperEvent::HelperEvent(Payload payload, std::optional<std::string> disk)
    : payload_(std::move(payload)), disk_(std::move(disk)) {
  if (std::holds_alternative<DriveFacts>(payload_)) disk_.reset();
}

bool HelperEvent::isResult() const {
  return std::visit(
      [](const auto& payload) { return verbOf<std::decay_t<decltype(payload)>>() != nullptr; },
      payload_);
}

std::string HelperEvent::json() const {
  Json members = Json::Object{};
  std::visit(
      [&members](const auto& payload) {
        using T = std::decay_t<decltype(payload)>;
        members.set("event", T::event);
        if constexpr (verbOf<T>() != nullptr) members.set("verb", verbOf<T>());
        payload.writeTo(members);
      },
      payload_);
  if (disk_) members.set("disk", *disk_);
  sortMembers(members);
  return members.compact();
}

std::string HelperEvent::line() const { return HelperContract::eventPrefix + json(); }

bool HelperEvent::isEventLine(std::string_view line) {
  return line.substr(0, std::string_view(HelperContract::eventPrefix).size()) ==
         HelperContract::eventPrefix;
}

bool HelperEvent::isKernelName(std::string_view text) {
  return !text.empty() && text != "." && text != ".." && text.find('/') == std::string_view::npos;
}

std::optional<HelperEvent> HelperEvent::fromLine(std::string_view line) {
  if (!isEventLine(line)) return std::nullopt;
  return fromJson(line.substr(std::string_view(HelperContract::eventPrefix).size()));
}

std::optional<HelperEvent> HelperEvent::fromJson(std::string_view json) {
  const std::optional<Json> members = Json::parse(json);
  if (!members || !members->object()) return std::nullopt;
  const Json* event = members->find("event");
  if (!event || !event->string()) return std::nullopt;
  const Json* verb = members->find("verb");
  if (verb && !verb->string()) return std::nullopt;
  std::optional<Payload> payload =
      readPayload(*event->string(), verb ? verb->string() : nullptr, *members);
  if (!payload) return std::nullopt;
  std::optional<std::string> disk;
  if (const Json* named = members->find("disk");
      named && !std::holds_alternative<DriveFacts>(*payload)) {
    if (!named->string() || !isKernelName(*named->string())) return std::nullopt;
    disk = *named->string();
  }
  return HelperEvent(std::move(*payload), std::move(disk));
}

}  // namespace tessaro::contract
