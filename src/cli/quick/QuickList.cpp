// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/quick/QuickList.h"

#include <unistd.h>

#include <vector>

#include "drives/BlockDeviceJson.h"
#include "drives/linux/LinuxBlockDevices.h"
#include "drives/linux/SysfsBlockTree.h"
#include "drives/linux/ToolAvailability.h"

namespace tessaro {

std::optional<std::string> QuickList::document(bool all) {
  for (const MissingTools& missing : findMissingTools(isToolInstalled, geteuid() == 0))
    if (missing.required) return std::nullopt;
  std::string failure;
  const std::optional<std::vector<LsblkDevice>> tree = SysfsBlockTree::readAll({}, &failure);
  if (!tree) return std::nullopt;
  std::vector<BlockDevice> devices = linuxBlockDevices(*tree, "/sys");
  if (!all) std::erase_if(devices, [](const BlockDevice& device) { return !device.offered(); });
  return BlockDeviceJson::document(devices, Wording::english());
}

}  // namespace tessaro
