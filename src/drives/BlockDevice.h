// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "drives/NotOfferedReason.h"

namespace tessaro {

// One block device of the system, offered or not, in the terms of lsblk:
// what `tessaro-cli list --all` shows and its JSON holds. Texts are trimmed
// UTF-8 as the kernel and udev give them; what was not reported is empty.
struct BlockDevice {
  std::string name;    // kernel name: sdb, sdb1, nvme0n1p3, vg-root
  std::string path;    // /dev/sdb
  std::string parent;  // the device it is part of, by kernel name; empty for a disk
  std::string type;    // disk, part, loop, lvm, crypt, rom, ...
  // What identifies the device across runs and reboots: its WWN, its model
  // and serial number, or the kernel's by-id name; empty when it has none.
  std::string id;
  std::int64_t size = 0;  // bytes
  std::string model;
  std::string vendor;
  std::string product;  // vendor and model as one text, as the drive list shows them
  std::string serial;
  std::string transport;  // TRAN: usb, sata, nvme, ...
  bool removable = false;
  bool hotplug = false;
  bool readOnly = false;
  int logicalSectorSize = 512;
  std::string fstype;
  std::string fsver;
  std::string label;
  std::vector<std::string> mountpoints;
  std::optional<NotOfferedReason> reason;  // none: offered as a drive

  bool offered() const { return !reason.has_value(); }
  bool operator==(const BlockDevice&) const = default;
};

}  // namespace tessaro
