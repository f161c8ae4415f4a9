// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/HeldDisk.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "contract/HelperContract.h"
#include "helper/DeviceGuard.h"
#include "helper/LoopBacking.h"

namespace tessaro::helper {

namespace {

// Refuses a device the kernel will not let anyone write (BLKROGET): a
// write-protected card, a read-only loop device. Said before anything is
// unmounted or written, rather than by the first tool that fails; a device
// whose state cannot be read is not taken for a writable one.
void refuseReadOnly(const KernelDevice& device) {
  const int fd = ::open(device.path().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  int readOnly = 1;
  const bool told = fd >= 0 && ::ioctl(fd, BLKROGET, &readOnly) == 0;
  const int error = errno;
  if (fd >= 0) ::close(fd);
  if (!told) {
    stop(HelperContract::toolFailed, "Failed: could not tell whether " + device.path() +
                                         " is read-only (" + std::strerror(error) +
                                         "); nothing was written.");
  }
  if (readOnly == 0) return;
  std::string failure;
  const auto loop = LoopBacking::of(device, &failure);
  stop(HelperContract::refusedDevice,
       "Refused: " + device.path() + " is read-only" +
           (loop ? " (a read-only loop device over " + loop->describe() + ')' : std::string()) +
           "; nothing was written.");
}

}  // namespace

HeldDisk::HeldDisk(const KernelDevice& device, std::string cancelledBeforeWriting,
                   std::string cancelledAfterWriting)
    : run_(watch_) {
  run_.setCancelLines(std::move(cancelledBeforeWriting), std::move(cancelledAfterWriting));
  run_.checkpoint();
  // Guarded before it is opened: the record is of the device number that
  // was looked up, and the lock then holds that number with the sequence
  // number read before the record was. A device number is used again
  // for the next disk, a sequence number never, so an equal pair means
  // that the disk that was checked is the disk that is held.
  std::string failure;
  const std::optional<std::string> diskseqChecked = readDiskseq(device.diskName(), &failure);
  if (!diskseqChecked)
    stop(HelperContract::toolFailed, "Failed: " + failure + "; nothing was written.");
  tree_ = guardedDisk(device);
  lockDisk(lock_, run_, device);
  if (tree_.number != lock_.disk().number() || lock_.diskseq() != *diskseqChecked) {
    stop(HelperContract::deviceChanged, "Stopped: " + lock_.disk().path() +
                                            " changed while it was being opened; nothing was "
                                            "written.");
  }
  // Every verb that holds a disk writes to it.
  refuseReadOnly(lock_.disk());
  if (device.isPartition()) refuseReadOnly(device);
}

void HeldDisk::unmount(const std::vector<ToolStep>& steps) {
  for (const ToolStep& step : steps) {
    const int status = run_.run(step);
    if (status != 0) {
      stop(HelperContract::toolFailed,
           "Failed: " + step.command.back() + " could not be unmounted (exit status " +
               std::to_string(status) + "); nothing was written.",
           "umount");
    }
  }
  run_.checkpoint();
  if (const auto busy = DiskLock::inUse(lock_.disk().path()))
    stop(HelperContract::deviceBusy, *busy);
}

void HeldDisk::holdExclusively(const KernelDevice& device) {
  run_.checkpoint();
  if (const auto busy = lock_.holdExclusively(device.path()))
    stop(HelperContract::deviceBusy, *busy);
}

void HeldDisk::release() {
  run_.setLock(nullptr);
  lock_.release();
}

}  // namespace tessaro::helper
