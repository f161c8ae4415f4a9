// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>

namespace tessaro {

// The kernel's name for partition n of a whole disk: sdb -> sdb1, but a "p"
// goes in when the disk's name ends in a digit: mmcblk0 -> mmcblk0p1,
// nvme0n1 -> nvme0n1p1, loop0 -> loop0p1.
inline std::string linuxPartitionName(const std::string& disk, int number) {
  const bool endsInDigit = !disk.empty() && disk.back() >= '0' && disk.back() <= '9';
  return disk + (endsInDigit ? "p" : "") + std::to_string(number);
}

// The partition a format creates: /dev/sdb1, /dev/mmcblk0p1, /dev/loop0p1.
inline std::string linuxFormatPartitionPath(const std::string& diskPath) {
  const std::size_t slash = diskPath.rfind('/');
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  return diskPath.substr(0, name) + linuxPartitionName(diskPath.substr(name), 1);
}

}  // namespace tessaro
