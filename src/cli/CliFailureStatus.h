// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

#include "cli/CliExitStatus.h"
#include "exec/Error.h"

namespace tessaro {

// The exit status of a job that failed, from the error it ended with.
class CliFailureStatus {
 public:
  static CliExitStatus of(const Error& failure, bool cancelRequested);
  // The "kind" of a failure with this status in --json's error: "usage",
  // "refused", "tool-failed", "authorization", "verification",
  // "counterfeit", "cancelled", "write-error".
  static QString kind(int status);
};

}  // namespace tessaro
