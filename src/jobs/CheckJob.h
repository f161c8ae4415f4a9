// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "drives/CheckLine.h"
#include "drives/Drive.h"
#include "jobs/DriveJob.h"

namespace tessaro {

// Checks the FAT file system on a drive's first partition, or on the whole
// disk when no partition is found, with administrator rights, and repairs it
// unless asked to only read it. The account says in one line before its last
// what the check found; errors it left are its failure.
class CheckJob : public DriveJob {
 public:
  // target: the partition (or the whole disk) to look at, where the caller
  // has just listed the drive (DiskManager::listedPartition); without it the
  // job looks for the drive's first partition itself.
  CheckJob(const DiskTools& tools, ProcessRunner& runner, Drive drive,
           CheckMode mode = CheckMode::repair, std::optional<QString> target = std::nullopt);

  // What the check found, once it has ended well: no errors, errors
  // corrected, or untold where the platform tells no status.
  CheckFinding finding() const { return finding_; }

 protected:
  QString title() const override;
  QCoro::Task<> perform(Report& report) override;
  QString failureLine(const QString& description) const override;
  QString cancelledLine() const override;

 private:
  Drive drive_;
  CheckMode mode_;
  CheckFinding finding_ = CheckFinding::untold;
  std::optional<QString> target_;
};

}  // namespace tessaro
