// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "drives/Drive.h"
#include "jobs/DriveJob.h"

namespace tessaro {

// Reads the properties of a drive and of its first partition with
// administrator rights and reports them in one piece at the end. Without a
// partition the report covers the whole disk only.
class InfoJob : public DriveJob {
 public:
  // target: the partition (or the whole disk) to look at, where the caller
  // has just listed the drive (DiskManager::listedPartition); without it the
  // job looks for the drive's first partition itself.
  InfoJob(const DiskTools& tools, ProcessRunner& runner, Drive drive,
          std::optional<QString> target = std::nullopt);

  // The facts of the drive (DriveFacts::ofDisk) once run() has done what
  // was asked; none until then.
  const std::optional<DriveFacts>& facts() const { return facts_; }

 protected:
  QString title() const override;
  QCoro::Task<> perform(Report& report) override;
  QString failureLine(const QString& description) const override;
  QString cancelledLine() const override;

 private:
  Drive drive_;
  std::optional<QString> target_;
  std::optional<DriveFacts> facts_;
};

}  // namespace tessaro
