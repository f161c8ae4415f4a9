// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>

#include "drives/linux/LsblkDevice.h"
#include "helper/CancelWatch.h"
#include "helper/DiskLock.h"
#include "helper/HelperTools.h"
#include "helper/KernelDevice.h"
#include "helper/LinuxFormatSteps.h"
#include "helper/VerbRun.h"

namespace tessaro::helper {

// The opening every verb that works on a drive shares: the caller's cancel is
// watched, the drive's whole disk is read once (guardedDisk), guarded and
// locked, a disk or partition the kernel keeps read-only is refused (every
// verb that holds a disk writes to it), and every tool runs through run(), which checks the cancel and the
// disk's identity before each step. Stops, having said why, when any of that
// fails.
class HeldDisk {
 public:
  // The "Cancelled:" lines of the verb, before it writes and after.
  HeldDisk(const KernelDevice& device, std::string cancelledBeforeWriting,
           std::string cancelledAfterWriting);

  VerbRun& run() { return run_; }
  // The whole disk as the guard checked it.
  const LsblkDevice& tree() const { return tree_; }

  // Unmounts with each step (each one umount), then stops with deviceBusy
  // when anything still holds the disk; nothing has been written by then.
  void unmount(const std::vector<ToolStep>& steps);

  // Opens device (the disk or a partition of it) exclusively until the lock
  // is let go, or stops with deviceBusy when something holds it.
  void holdExclusively(const KernelDevice& device);

  // Lets the lock go; run() no longer checks the disk's identity.
  void release();

 private:
  CancelWatch watch_;
  VerbRun run_;
  DiskLock lock_;
  LsblkDevice tree_;
};

}  // namespace tessaro::helper
