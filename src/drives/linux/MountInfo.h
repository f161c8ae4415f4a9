// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace tessaro {

// The kernel's table of mounts as /proc/self/mountinfo gives it, one line a
// mount ("36 35 98:0 /root /mnt/point rw,noatime master:1 - ext4 /dev/sdb1
// rw"), in the order the kernel lists them, and its table of active swap
// areas (/proc/swaps), both read by util-linux's libmount, which decodes
// what the kernel escapes (\040 \011 \012 \134). A table is taken whole or
// not at all: a line libmount cannot parse (its parser's error callback
// says so), one it passes over, an escape the kernel never writes (beyond
// one byte), or a mount that cannot be one (a target that is not absolute,
// a file system type of "-", which only a line read askew gives) leaves the
// table unread, so that a table that cannot be read is never taken for one
// that has no mount of a device.
class MountInfo {
 public:
  struct Mount {
    dev_t number = 0;    // of the file system: a device's number, or an
                         // anonymous one (btrfs, overlay, tmpfs)
    std::string root;    // what of the file system is mounted ("/" for all of it)
    std::string target;  // where
    std::string fileSystemType;
    std::string source;  // what it was mounted from, as given: "/dev/sdb1"
  };

  // The table from text; none when it is not read whole (see above).
  static std::optional<MountInfo> parse(const std::string& text);
  // /proc/self/mountinfo; none when it cannot be read or parsed, or is empty
  // (there is always a root file system), with why in *failure when given
  // ("could not read /proc/self/mountinfo: Input/output error").
  static std::optional<MountInfo> readFile(const std::string& path = "/proc/self/mountinfo",
                                           std::string* failure = nullptr);
  // The paths of the active swap areas (/proc/swaps); none, with why, when
  // the table exists and cannot be read or parsed. A kernel without swap
  // has no table: no areas.
  static std::optional<std::vector<std::string>> readSwaps(const std::string& path,
                                                           std::string* failure);

  const std::vector<Mount>& mounts() const { return mounts_; }

  // Where the device with number and node path is mounted, last mounted
  // first, as lsblk's MOUNTPOINTS: every mount of its number (bind mounts
  // included) and every mount whose source is its path (btrfs shows an
  // anonymous number).
  std::vector<std::string> targetsOf(dev_t number, const std::string& devicePath) const;

 private:
  std::vector<Mount> mounts_;
};

}  // namespace tessaro
