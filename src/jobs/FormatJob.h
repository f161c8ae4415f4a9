// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <atomic>

#include "jobs/DriveJob.h"

namespace tessaro {

// Erases a drive and makes one FAT32 partition on it with administrator
// rights, streaming the tools' output line by line, then mounts the new file
// system as the desktop user where the platform leaves that to Tessaro.
class FormatJob : public DriveJob {
 public:
  FormatJob(const DiskTools& tools, ProcessRunner& runner, FormatRequest request);

  // Whether the drive may have begun to change: the helper has announced its
  // first tool. Callable from any thread.
  bool hasBegunWriting() const { return begunWriting_; }

 protected:
  QString title() const override;
  QCoro::Task<> perform(Report& report) override;
  QString failureLine(const QString& description) const override;
  QString cancelledLine() const override;

 private:
  FormatRequest request_;
  std::atomic<bool> begunWriting_ = false;
};

}  // namespace tessaro
