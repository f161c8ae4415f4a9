// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "helper/StopReason.h"

namespace tessaro::helper {

// A block device named by the caller with its kernel name, proven to be one:
// the name has the kernel's shape, /sys/class/block/NAME exists, and /dev/NAME
// is a block node (not a link) of the same device number. The helper builds
// every device path it uses from such a name and never takes one from its
// caller.
class KernelDevice {
 public:
  // The device, or none with why in *why: a name of the wrong shape (usage),
  // one the kernel does not know (noSuchDevice), a /dev node that is not that
  // device (refusedDevice), or a table of the kernel's that could not be
  // read (toolFailed).
  static KernelDevice find(const std::string& name, StopReason* why,
                           const std::string& sysRoot = "/sys", const std::string& devRoot = "/dev");

  // "sdb", "sdb1", "mmcblk0p1", "loop3": a lower-case letter, then lower-case
  // letters and digits, at most 32 in all.
  static bool hasKernelNameShape(std::string_view name);

  bool isValid() const { return !name_.empty(); }
  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }  // /dev/NAME
  // The whole disk: the device itself, or the disk a partition belongs to.
  const std::string& diskName() const { return diskName_; }
  bool isPartition() const { return diskName_ != name_; }
  dev_t number() const { return number_; }

  // None while NAME still names this device (same number in sysfs and /dev,
  // same disk); else that it is gone (noSuchDevice), what changed
  // (deviceChanged) or what could not be read (toolFailed), in a sentence.
  // Reads only.
  std::optional<StopReason> change(const std::string& sysRoot = "/sys",
                                   const std::string& devRoot = "/dev") const;

 private:
  std::string name_;
  std::string path_;
  std::string diskName_;
  dev_t number_ = 0;
};

// The device number sysfs gives for a block device ("8:16"); none with why
// in *why (noSuchDevice when sysfs has no such device).
std::optional<dev_t> sysfsDeviceNumber(const std::string& sysRoot, const std::string& name,
                                       StopReason* why);

}  // namespace tessaro::helper
