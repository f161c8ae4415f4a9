// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <optional>

#include "drives/linux/LsblkDevice.h"

namespace tessaro::helper {

// The record lsblk prints for one whole disk and the devices below it
// (LsblkDevice, with the columns of LsblkDevice::arguments()), read where
// lsblk reads it, without starting lsblk:
// - the kernel (sysfs): name, number, size, RO, RM, HOTPLUG, LOG-SEC (a
//   partition's from its disk), TYPE, TRAN, SUBSYSTEMS, VENDOR, and the tree:
//   partitions (in number order) and holders (device-mapper, RAID) below
//   what they hold;
// - the kernel's mount table (mountinfo): MOUNTPOINTS, by device number or
//   source path, last mounted first; "[SWAP]" from /proc/swaps;
// - udev's database, as lsblk does: FSTYPE, FSVER, LABEL, and MODEL, SERIAL
//   and WWN where udev knows them (MODEL and SERIAL otherwise from sysfs).
//   Where udev keeps no database (no udevd), lsblk shows no file system
//   either, and neither does this record.
class SysfsBlockTree {
 public:
  struct Sources {
    QString sysfsRoot = QStringLiteral("/sys");
    QString mountInfo = QStringLiteral("/proc/self/mountinfo");
    QString swaps = QStringLiteral("/proc/swaps");
    QString udevData = QStringLiteral("/run/udev/data");
  };

  // The record of diskName (a kernel name, "sdb", "loop3") with everything
  // below it. None, with why in *failure, when sysfs does not know the
  // device, a device of the tree cannot be read, or the mount or swap table
  // cannot be read: a tree that was not read whole is never taken for one
  // with nothing mounted.
  static std::optional<LsblkDevice> read(const QString& diskName, const Sources& sources,
                                         QString* failure);
};

}  // namespace tessaro::helper
