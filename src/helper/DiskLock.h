// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "helper/KernelDevice.h"
#include "helper/LoopBacking.h"
#include "helper/StopReason.h"

namespace tessaro::helper {

// Holds one whole disk for the helper, from the first look to the last write:
// an open descriptor on /dev/DISK with an exclusive BSD lock (flock LOCK_EX),
// the block-device locking convention that udev and systemd follow, and the
// disk's identity (device number and sysfs diskseq) as it was when locked.
//
// How the tools get along with the lock: the lock belongs to the helper's own
// open of /dev/DISK. wipefs and sfdisk are told --lock=no, since a lock of
// their own would wait for the helper's forever (or fail); the helper's lock
// covers them, and the partitions with their disk. udev takes a shared lock on
// the whole disk before it probes a disk or one of its partitions, and skips
// or postpones its work while the helper holds the lock, so it neither
// re-reads the table nor probes a half-written file system mid-format; the
// helper therefore does not wait for udev (udevadm settle) while it holds the
// lock. Another Tessaro run, or any program that follows the convention,
// finds the disk locked and is refused.
//
// The descriptor is opened read-only and non-exclusively: tools must still be
// able to open the disk and its partitions themselves (mkfs.fat and wipefs
// open them O_EXCL, and the kernel re-reads a table only when no one holds
// the disk exclusively). Whether anything else holds the disk is asked
// separately (inUse).
class DiskLock {
 public:
  enum class Outcome { locked, busy, changed, gone, failed };

  DiskLock() = default;
  ~DiskLock() { release(); }
  DiskLock(const DiskLock&) = delete;
  DiskLock& operator=(const DiskLock&) = delete;

  // Opens and locks the whole disk; on failure *why says so in the user's terms.
  Outcome lock(const KernelDevice& disk, std::string* why);

  // None while DISK still names the disk that was locked (same device number
  // on the held descriptor, in /dev and in sysfs, same diskseq) and, for a
  // loop device, still serves what it served then (the same file or block
  // device, from the same offset, as far as the same size limit) with no
  // other loop device serving the same file; else what changed, that it is
  // gone, or what could not be read, in a sentence.
  std::optional<StopReason> changed() const;

  // Whether another holder has the device open exclusively (mounted, part of
  // md or device-mapper, a member of a mounted multi-device file system): an
  // exclusive open fails with EBUSY then. None when free; else why not.
  static std::optional<std::string> inUse(const std::string& devicePath);

  // Opens devicePath (the disk or one of its partitions) exclusively and
  // keeps it so until release(): nothing can mount or claim it meanwhile,
  // while tools that open it without O_EXCL (fsck.fat) still can. None when
  // held; else why not, as inUse says it.
  std::optional<std::string> holdExclusively(const std::string& devicePath);

  // Closes the descriptors, which lets the lock and any exclusive hold go.
  void release();

  const KernelDevice& disk() const { return disk_; }
  const std::string& diskseq() const { return diskseq_; }

 private:
  KernelDevice disk_;
  int fd_ = -1;
  int exclusiveFd_ = -1;
  std::string diskseq_;
  std::optional<LoopBacking> loop_;  // what the loop device served when it was locked
};

// The disk's sequence number from sysfs: a new one for every medium, also when
// a device name or number is used again; empty where the kernel has none.
// None, with why in *failure ("could not read ..."), when it cannot be read.
std::optional<std::string> readDiskseq(const std::string& diskName, std::string* failure,
                                       const std::string& sysRoot = "/sys");

}  // namespace tessaro::helper
