// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/DeviceGuard.h"

#include <vector>

#include "contract/HelperContract.h"
#include "drives/linux/LinuxDiskRules.h"
#include "drives/linux/SysfsBlockTree.h"
#include "helper/HelperStop.h"
#include "helper/LoopBacking.h"

namespace tessaro::helper {

namespace {

bool isWholeDisk(const std::string& type) { return type == "disk" || type == "loop"; }

void collectNumbers(const LsblkDevice& node, std::vector<dev_t>& into) {
  into.push_back(node.number);
  for (const LsblkDevice& child : node.children) collectNumbers(child, into);
}

// Stops with why, a toolFailed one saying that nothing was written.
[[noreturn]] void stopWith(const StopReason& why) {
  stop(why.status, why.status == HelperContract::toolFailed
                       ? why.lineWithoutStop() + "; nothing was written."
                       : why.line);
}

}  // namespace

KernelDevice deviceNamed(const std::string& name) {
  StopReason why;
  const KernelDevice device = KernelDevice::find(name, &why);
  if (!device.isValid()) stopWith(why);
  return device;
}

LsblkDevice guardedDisk(const KernelDevice& device) {
  const std::string diskPath = "/dev/" + device.diskName();
  std::string failure;
  const std::optional<LsblkDevice> read =
      SysfsBlockTree::read(device.diskName(), SysfsBlockTree::Sources{}, &failure);
  if (!read) {
    if (failure.starts_with("could not read "))
      stop(HelperContract::toolFailed, "Failed: " + failure + "; nothing was written.");
    if (failure.starts_with("there is no block device named "))
      stop(HelperContract::noSuchDevice,
           "Stopped: " + failure + " any more; nothing was written.");
    stop(HelperContract::toolFailed, "Failed: what " + diskPath + " holds could not be told (" +
                                         failure + "); nothing was written.");
  }
  const LsblkDevice& disk = *read;
  const std::string refused = "Refused: " + device.path() + ' ';
  const bool known = disk.path == diskPath && isWholeDisk(disk.type);
  // The record is of the device the caller named, by number too: a name
  // that changed hands since it was looked up is not taken for it.
  const LsblkDevice* named = &disk;
  if (known && device.isPartition()) {
    named = nullptr;
    for (const LsblkDevice& child : disk.children)
      if (child.path == device.path() && child.type == "part") named = &child;
  }
  if (!known || !named)
    stop(HelperContract::refusedDevice, refused + "is neither a whole disk nor a partition of one.");
  if (named->number != device.number()) {
    stop(HelperContract::deviceChanged,
         "Stopped: " + device.path() + " changed while it was being checked; nothing was written.");
  }
  if (holdsRunningSystem(disk)) {
    stop(HelperContract::refusedDevice,
         refused + "holds part of the running system (a mount outside /media, swap, LVM, RAID or "
                   "encryption).");
  }
  if (disk.type != "loop") {
    // In the words `tessaro-cli list --all` uses for it.
    if (const auto reason = linuxNotOfferedReason(disk, kSysfsRoot))
      stop(HelperContract::refusedDevice, refused + "is not offered: " + reason->phrase() + '.');
  }
  // What a loop device serves, and any loop device serving this disk.
  const KernelDevice wholeDisk = device.isPartition() ? deviceNamed(device.diskName()) : device;
  std::vector<dev_t> numbers;
  collectNumbers(disk, numbers);
  if (const auto loopRefused = loopRefusal(wholeDisk, numbers)) stopWith(*loopRefused);
  return disk;
}

void lockDisk(DiskLock& lock, VerbRun& run, const KernelDevice& device) {
  const KernelDevice disk = device.isPartition() ? deviceNamed(device.diskName()) : device;
  std::string why;
  switch (lock.lock(disk, &why)) {
    case DiskLock::Outcome::locked:
      run.setLock(&lock);
      return;
    case DiskLock::Outcome::busy:
      stop(HelperContract::deviceBusy, why);
    case DiskLock::Outcome::changed:
      stop(HelperContract::deviceChanged, why);
    case DiskLock::Outcome::gone:
      stop(HelperContract::noSuchDevice, why);
    case DiskLock::Outcome::failed:
      break;
  }
  stop(HelperContract::toolFailed, why);
}

}  // namespace tessaro::helper
