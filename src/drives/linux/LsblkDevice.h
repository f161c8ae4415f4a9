// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaro {

// One block device as lsblk prints it (util-linux 2.38, `--json --bytes`
// with the columns of LsblkJson::arguments()), and the devices below it.
// Discovery and the helper's guard and information report all judge this
// one record, read from the kernel and udev as lsblk reads them
// (SysfsBlockTree); discovery runs lsblk (LsblkJson) only where a device
// cannot be read whole or a stand-in lsblk is given.
struct LsblkDevice {
  std::string name;        // sdb, sdb1, loop0p1
  std::string path;        // /dev/sdb
  dev_t number = 0;        // MAJ:MIN; 0 when lsblk left it out
  std::string parentName;  // PKNAME: the disk of a partition
  std::string type;        // disk, part, loop, lvm, crypt, raid1, ...
  std::int64_t size = 0;
  // LOG-SEC: 512 when lsblk left it out, none when it is no valid size.
  std::optional<int> logicalSectorSize = 512;
  bool logicalSectorSizeReported = false;
  bool removable = false;  // RM
  bool hotplug = false;
  std::string transport;   // TRAN
  std::string subsystems;  // SUBSYSTEMS, ":"-separated
  std::string vendor;
  std::string model;
  std::string serial;
  std::string wwn;
  bool readOnly = false;  // RO
  std::string fstype;
  std::string fsver;
  std::string label;
  std::vector<std::string> mountpoints;  // "[SWAP]" for active swap
  std::vector<LsblkDevice> children;

  // The device named name: this one or one below it.
  const LsblkDevice* find(const std::string& deviceName) const;
};

}  // namespace tessaro
