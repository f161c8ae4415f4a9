// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>

#include "contract/FormatVerdict.h"
#include "jobs/DriveJob.h"

namespace tessaro {

// Erases a drive and makes one FAT32 partition on it with administrator
// rights, streaming the tools' output line by line, then mounts the new file
// system as the desktop user where the platform leaves that to Tessaro.
// Where the platform reads the drive back (DiskTools::verifiesFormat), the
// format succeeds only when the helper's one result event says the drive
// holds what was asked.
class FormatJob : public DriveJob {
 public:
  FormatJob(const DiskTools& tools, ProcessRunner& runner, FormatRequest request);

  // What the format read back, once it has told it; none before and where
  // the platform does not tell it.
  const std::optional<contract::FormatVerdict>& verification() const { return verification_; }

 protected:
  QString title() const override;
  QCoro::Task<> perform(Report& report) override;
  QString failureLine(const QString& description) const override;
  QString cancelledLine() const override;

 private:
  FormatRequest request_;
  std::optional<contract::FormatVerdict> verification_;
};

}  // namespace tessaro
