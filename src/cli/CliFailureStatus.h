// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>
#include <QString>

#include "cli/CliExitStatus.h"
#include "jobs/JobFailure.h"

namespace tessaro {

// tessaro-cli's exit status and --json's error "kind" for every way a
// command can fail, in one table.
class CliFailureStatus {
 public:
  // The exit status of a job that failed; once a cancel was requested,
  // whatever ended the job counts as cancelled.
  static CliExitStatus of(const JobFailure& failure, bool cancelRequested);
  // The "kind" of that failure in --json's error: what its status gives, or
  // a finer kind of its own ("no-such-device" for a drive that has gone).
  static QString kind(const JobFailure& failure, bool cancelRequested);
  // The "kind" of a failure with this status in --json's error: "usage",
  // "refused", "errors-left", "tool-failed", "authorization",
  // "verification", "counterfeit", "cancelled", "write-error".
  static QString kind(int status);
  // The exit status of a batch from its drives' own: success (or, for a
  // check, errors corrected) when no drive failed; the one status of every
  // drive that failed where they all failed alike; cliMixedFailures
  // otherwise.
  static int ofBatch(const QList<int>& statuses);
};

}  // namespace tessaro
