// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "drives/linux/LsblkDevice.h"

namespace tessaro {

// The record lsblk prints for one whole disk and the devices below it
// (LsblkDevice, with the columns of LsblkJson::arguments()), read where
// lsblk reads it, without starting lsblk:
// - the kernel (sysfs): name, number, size, RO, RM, HOTPLUG, LOG-SEC (a
//   partition's from its disk), TYPE, TRAN, SUBSYSTEMS, VENDOR, and the tree:
//   partitions (in number order) and holders (device-mapper, RAID) below
//   what they hold;
// - the kernel's mount table (mountinfo, through libmount): MOUNTPOINTS, by
//   device number or source path, last mounted first; "[SWAP]" from
//   /proc/swaps;
// - udev's properties (through libudev), as lsblk reads them: FSTYPE, FSVER,
//   LABEL, and MODEL, SERIAL and WWN where udev knows them (MODEL and SERIAL
//   otherwise from sysfs). Where udev keeps no database (no udevd), lsblk
//   shows no file system either, and neither does this record.
class SysfsBlockTree {
 public:
  // What udev recorded of a block device ("ID_FS_TYPE" -> "vfat"); none with
  // why when udev cannot be asked.
  using UdevProperties = std::map<std::string, std::string>;
  using UdevReader = std::function<std::optional<UdevProperties>(dev_t, std::string* failure)>;

  struct Sources {
    std::string sysfsRoot = "/sys";
    std::string mountInfo = "/proc/self/mountinfo";
    std::string swaps = "/proc/swaps";
    // libudev's record of the device (udevProperties) unless given.
    UdevReader udev;
  };

  // The record of diskName (a kernel name, "sdb", "loop3") with everything
  // below it. None, with why in *failure, when sysfs does not know the
  // device, a device of the tree cannot be read, or the mount or swap table
  // cannot be read: a tree that was not read whole is never taken for one
  // with nothing mounted.
  static std::optional<LsblkDevice> read(const std::string& diskName, const Sources& sources,
                                         std::string* failure);

  // Every device lsblk lists at its top (all but RAM disks, loop devices
  // that serve no file, and devices built on others, which are below what
  // they are built on), by name, each read as read() reads it; none, with
  // why, when one of them cannot be read whole.
  static std::optional<std::vector<LsblkDevice>> readAll(const Sources& sources,
                                                         std::string* failure);

  // What udev (libudev) has of the block device number: the properties of
  // its record, none with why when libudev finds no such device.
  static std::optional<UdevProperties> udevProperties(dev_t number, std::string* failure);
};

}  // namespace tessaro
