// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <vector>

#include "drives/BlockDevice.h"
#include "drives/linux/LinuxDiskRules.h"
#include "drives/linux/LsblkDevice.h"

namespace tessaro {

// The list of Linux block devices `tessaro-cli list --all` shows, read from
// lsblk's record (LsblkDevice) and judged by LinuxDiskRules.

// Every device of lsblk's tree, each once, in lsblk's order (a disk, then
// what is on it), with the reason it is not offered and what identifies it
// across runs: for a disk "wwn-<WWN>", else "<bus>-<model>_<serial>", else
// its name in byIdDir; for any other device its name there, or nothing.
std::vector<BlockDevice> linuxBlockDevices(const std::vector<LsblkDevice>& tree,
                                           const std::string& sysfsRoot,
                                           const std::string& byIdDir = "/dev/disk/by-id");

}  // namespace tessaro
