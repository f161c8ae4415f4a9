// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DiskPlacement.h"

#include <algorithm>

namespace tessaro {

bool isExternalBus(const std::string& bus) {
  return bus == "usb" || bus == "thunderbolt" || bus == "firewire" || bus == "sd";
}

bool isExternalOrRemovable(const DiskPlacement& placement) {
  std::string bus = placement.bus;
  std::transform(bus.begin(), bus.end(), bus.begin(), [](unsigned char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c);
  });
  return placement.removable || placement.ejectable || isExternalBus(bus) ||
         (!placement.internal && bus.empty());
}

}  // namespace tessaro
