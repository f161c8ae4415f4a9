// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <vector>

#include "drives/linux/LsblkDevice.h"
#include "helper/KernelDevice.h"

namespace tessaro::helper {

// Device paths under tree (tree included) that have a file system mounted,
// deepest first, so that unmounting them in order works.
std::vector<std::string> mountedDevices(const LsblkDevice& tree);

// Where device is mounted now (MountInfo::targetsOf); stops with toolFailed
// when the mount table cannot be read (that never counts as "not mounted").
std::vector<std::string> readMountTargets(const KernelDevice& device);

}  // namespace tessaro::helper
