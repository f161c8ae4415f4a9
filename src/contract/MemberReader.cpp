// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/MemberReader.h"

namespace tessaro::contract {

const Json* MemberReader::member(std::string_view name) {
  const Json* value = object_.find(name);
  if (!value) spoil();
  return value;
}

std::string MemberReader::text(std::string_view name) {
  const Json* value = member(name);
  if (value && value->string()) return *value->string();
  spoil();
  return {};
}

std::optional<std::string> MemberReader::textOrNull(std::string_view name) {
  const Json* value = member(name);
  if (value && value->isNull()) return std::nullopt;
  return text(name);
}

bool MemberReader::flag(std::string_view name) {
  const Json* value = member(name);
  if (value && value->boolean()) return *value->boolean();
  spoil();
  return false;
}

std::int64_t MemberReader::whole(std::string_view name, std::int64_t low, std::int64_t high) {
  const Json* value = member(name);
  const std::optional<std::int64_t> number = value ? value->integer() : std::nullopt;
  if (number && *number >= low && *number <= high) return *number;
  spoil();
  return 0;
}

std::optional<std::int64_t> MemberReader::wholeOrNull(std::string_view name, std::int64_t low,
                                                      std::int64_t high) {
  const Json* value = member(name);
  if (value && value->isNull()) return std::nullopt;
  return whole(name, low, high);
}

std::optional<std::int64_t> MemberReader::wholeIfPresent(std::string_view name, std::int64_t low,
                                                         std::int64_t high) {
  if (!object_.find(name)) return std::nullopt;
  return whole(name, low, high);
}

double MemberReader::number(std::string_view name, double low, double high) {
  const Json* value = member(name);
  const std::optional<double> number = value ? value->number() : std::nullopt;
  if (number && *number >= low && *number <= high) return *number;
  spoil();
  return 0;
}

const Json* MemberReader::objectOrNull(std::string_view name) {
  const Json* value = member(name);
  if (!value || value->isNull()) return nullptr;
  if (!value->object()) spoil();
  return value->object() ? value : nullptr;
}

}  // namespace tessaro::contract
