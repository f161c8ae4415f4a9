// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/MountTargets.h"

#include <algorithm>

#include "contract/HelperContract.h"
#include "drives/linux/MountInfo.h"
#include "helper/VerbRun.h"

namespace tessaro::helper {

namespace {

void collectMounted(const LsblkDevice& node, std::vector<std::string>& into) {
  for (const LsblkDevice& child : node.children) collectMounted(child, into);
  const bool mounted = std::any_of(node.mountpoints.begin(), node.mountpoints.end(),
                                   [](const std::string& m) { return m != "[SWAP]"; });
  if (mounted) into.push_back(node.path);
}

}  // namespace

std::vector<std::string> mountedDevices(const LsblkDevice& tree) {
  std::vector<std::string> mounted;
  collectMounted(tree, mounted);
  return mounted;
}

std::vector<std::string> readMountTargets(const KernelDevice& device) {
  std::string failure;
  const std::optional<MountInfo> mounts = MountInfo::readFile("/proc/self/mountinfo", &failure);
  if (!mounts) {
    stop(HelperContract::toolFailed, "Failed: whether " + device.path() +
                                         " is mounted could not be told (" + failure +
                                         "); nothing was changed.");
  }
  return mounts->targetsOf(device.number(), device.path());
}

}  // namespace tessaro::helper
