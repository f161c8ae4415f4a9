// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ClusterOption.h"

namespace tessaro {

const std::array<ClusterOption, 9>& ClusterOption::allCases() {
  static const std::array<ClusterOption, 9> cases{Default, C512,   C1024,  C2048, C4096,
                                                  C8192,   C16384, C32768, C65536};
  return cases;
}

std::optional<ClusterOption> ClusterOption::fromRawValue(std::string_view raw) {
  for (const auto option : allCases())
    if (option.rawValue() == raw) return option;
  return std::nullopt;
}

std::string ClusterOption::rawValue() const {
  if (case_ == Default) return "Default";
  return std::to_string(*bytes());
}

namespace {
std::string& chosenDefaultName() {
  static std::string name;
  return name;
}
}  // namespace

std::string ClusterOption::defaultName(const Wording& wording) {
  if (!chosenDefaultName().empty()) return chosenDefaultName();
  //: The cluster size menu's entry that lets the formatter choose.
  return wording.translated("ClusterOption", TESSARO_TRANSLATABLE("ClusterOption", "Default"));
}

void ClusterOption::setDefaultName(const std::string& name) { chosenDefaultName() = name; }

std::optional<int> ClusterOption::bytes() const {
  if (case_ == Default) return std::nullopt;
  return 512 << (static_cast<int>(case_) - static_cast<int>(C512));
}

}  // namespace tessaro
