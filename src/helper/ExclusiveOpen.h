// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tessaro::helper {

// A read-only, exclusive (O_EXCL) open of a block device: while it is held,
// the kernel refuses every other exclusive claim of the device, and of a
// whole disk's partitions or a partition's disk — a mount, RAID, LVM,
// encryption, and the tools' own O_EXCL opens (mkfs.fat, wipefs without
// --force) alike. Reads and writes without O_EXCL still work.
class ExclusiveOpen {
 public:
  ExclusiveOpen() = default;
  ~ExclusiveOpen() { release(); }
  ExclusiveOpen(const ExclusiveOpen&) = delete;
  ExclusiveOpen& operator=(const ExclusiveOpen&) = delete;

  // Opens devicePath exclusively (for writing too, when writable); none when
  // it is held now, else why not, in the user's terms ("/dev/sdb is in use by
  // another program (...)").
  std::optional<std::string> claim(const std::string& devicePath, dev_t expectedNumber,
                                   bool writable = false);

  // bytes bytes from offset of the held device; none with why in *failure
  // ("Input/output error", "100 of 512 bytes").
  std::optional<std::string> read(std::int64_t offset, int bytes, std::string* failure) const;

  // Writes zeros over bytes bytes from offset of the device held for
  // writing, each write whole, and waits until the drive has them unless
  // told not to (the kernel's cache of the device then holds them until the
  // next program that opens the device flushes it, or the last close); none
  // when done, else why not.
  std::optional<std::string> zero(std::int64_t offset, std::int64_t bytes,
                                  bool waitForDrive = true) const;

  // Lets the exclusive claim go but keeps the device open without it until
  // release(): a tool can then claim the device itself, and what was written
  // through this open stays in the kernel's cache of the device while the
  // tool runs, instead of being dropped at the last close. None when done,
  // else why not (the device is then let go).
  std::optional<std::string> keepOpenUnclaimed();

  void release();
  bool isHeld() const { return fd_ >= 0 && exclusive_; }

 private:
  int fd_ = -1;
  bool exclusive_ = false;
};

}  // namespace tessaro::helper
