// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>

#include "drives/linux/LsblkDevice.h"
#include "helper/DiskLock.h"
#include "helper/KernelDevice.h"
#include "helper/VerbRun.h"

namespace tessaro::helper {

// Where the helper reads sysfs.
inline const std::string kSysfsRoot = "/sys";

// The device a caller named, proven (KernelDevice::find); otherwise prints the
// refusal and stops: usage for a name of the wrong shape, noSuchDevice for one
// the kernel does not know, refusedDevice for a /dev node that is not that
// device, toolFailed when the kernel's tables cannot be read.
KernelDevice deviceNamed(const std::string& name);

// The whole disk of device, read from the kernel as lsblk would print it
// (SysfsBlockTree), after the guard: a whole disk (or loop device) that
// holds nothing of the running system and that is either a drive discovery
// offers or a loop device, with device being the disk itself or one of its
// partitions, by name and by device number; for a loop device, what it
// serves passes too, and no loop device serves the disk or a partition of it
// (loopRefusal). Prints the refusal and stops with refusedDevice otherwise
// (deviceChanged when the number is another's, noSuchDevice when the disk is
// gone, toolFailed when a table of the kernel's cannot be read: "could not
// read ...").
LsblkDevice guardedDisk(const KernelDevice& device);

// Locks the whole disk of device into lock and has run check its identity
// from now on; prints why and stops (deviceBusy, deviceChanged, noSuchDevice,
// toolFailed) when it cannot.
void lockDisk(DiskLock& lock, VerbRun& run, const KernelDevice& device);

}  // namespace tessaro::helper
