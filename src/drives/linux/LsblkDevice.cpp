// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LsblkDevice.h"

namespace tessaro {

const LsblkDevice* LsblkDevice::find(const std::string& deviceName) const {
  if (name == deviceName) return this;
  for (const LsblkDevice& child : children)
    if (const LsblkDevice* found = child.find(deviceName)) return found;
  return nullptr;
}

}  // namespace tessaro
