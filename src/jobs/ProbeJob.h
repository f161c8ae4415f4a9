// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <atomic>
#include <optional>

#include "drives/ProbeResult.h"
#include "jobs/DriveJob.h"

namespace tessaro {

// Tests how much of a drive really holds data, with administrator rights:
// writes test blocks over its whole claimed size (erasing it) and reads them
// back, quickly or every block (full). Reports the helper's log lines, its
// progress events as progress(), the figures of its result event as lines,
// and ends with the verdict: succeeded for a genuine drive, failed for one
// that is not (a failure of kind counterfeit, damaged or driveFailed), or
// failed with kind driveStopped when the drive stopped answering.
class ProbeJob : public DriveJob {
 public:
  ProbeJob(const DiskTools& tools, ProcessRunner& runner, Drive drive, bool full = false);

  // What the test found, once it has ended with a verdict.
  const std::optional<ProbeResult>& result() const { return result_; }

 protected:
  QString title() const override;
  QCoro::Task<> perform(Report& report) override;
  QString failureLine(const QString& description) const override;
  QString cancelledLine() const override;

 private:
  Drive drive_;
  bool full_;
  std::optional<ProbeResult> result_;
  bool stopped_ = false;
};

}  // namespace tessaro
