// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/HeldDisk.h"

#include "exec/HelperContract.h"

namespace tessaro::helper {

HeldDisk::HeldDisk(const KernelDevice& device, const HelperTools& tools,
                   QString cancelledBeforeWriting, QString cancelledAfterWriting)
    : run_(watch_) {
  run_.setCancelLines(std::move(cancelledBeforeWriting), std::move(cancelledAfterWriting));
  run_.checkpoint();
  // Guarded before it is opened: lsblk's record is of the device number
  // that was looked up, and the lock then holds that number with the
  // sequence number read before lsblk ran. A device number is used again
  // for the next disk, a sequence number never, so an equal pair means
  // that the disk that was checked is the disk that is held.
  const QString diskseqChecked = readDiskseq(device.diskName());
  tree_ = guardedDisk(run_, tools, device);
  lockDisk(lock_, run_, device);
  if (tree_.majorMinor != lock_.disk().majorMinor() || lock_.diskseq() != diskseqChecked) {
    stop(HelperContract::deviceChanged, QStringLiteral("Stopped: ") + lock_.disk().path() +
                                            QStringLiteral(" changed while it was being opened; "
                                                           "nothing was written."));
  }
}

void HeldDisk::unmount(const QList<ToolStep>& steps) {
  for (const ToolStep& step : steps) {
    const int status = run_.run(step);
    if (status != 0) {
      stop(HelperContract::toolFailed, QStringLiteral("Failed: ") + step.command.last() +
                                           QStringLiteral(" could not be unmounted (exit status ") +
                                           QString::number(status) +
                                           QStringLiteral("); nothing was written."));
    }
  }
  run_.checkpoint();
  if (const auto busy = DiskLock::inUse(lock_.disk().path()))
    stop(HelperContract::deviceBusy, *busy);
}

void HeldDisk::release() {
  run_.setLock(nullptr);
  lock_.release();
}

}  // namespace tessaro::helper
