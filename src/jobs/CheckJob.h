// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "drives/Drive.h"
#include "jobs/DriveJob.h"

namespace tessaro {

// Checks and repairs the FAT file system on a drive's first partition, or on
// the whole disk when no partition is found, with administrator rights. The
// account (partition, command line, the tools' output) arrives in one piece
// at the end.
class CheckJob : public DriveJob {
 public:
  CheckJob(const DiskTools& tools, ProcessRunner& runner, Drive drive);

 protected:
  QString title() const override;
  QCoro::Task<> perform(Report& report) override;
  QString failureLine(const QString& description) const override;
  QString cancelledLine() const override;

 private:
  Drive drive_;
};

}  // namespace tessaro
