// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "drives/Wording.h"

namespace tessaro {

// The cluster-size choice for a format: the file system's default or a power
// of two from 512 to 65536 bytes. The raw value is also the label shown.
class ClusterOption {
 public:
  enum Case { Default, C512, C1024, C2048, C4096, C8192, C16384, C32768, C65536 };

  constexpr ClusterOption(Case c = Default) : case_(c) {}

  static const std::array<ClusterOption, 9>& allCases();
  // Exact match of a raw value ("Default", "512", ...); anything else gives none.
  static std::optional<ClusterOption> fromRawValue(std::string_view raw);

  std::string rawValue() const;
  std::optional<int> bytes() const;

  // How this program names the default choice wherever it lists the choices:
  // the window's menu entry ("Default", in the wording's language) unless set
  // otherwise; tessaro-cli sets the option value, "default", as it is typed.
  // Set once at start-up, before any thread reads it.
  static std::string defaultName(const Wording& wording = Wording::english());
  static void setDefaultName(const std::string& name);

  bool operator==(const ClusterOption&) const = default;

 private:
  Case case_;
};

}  // namespace tessaro
