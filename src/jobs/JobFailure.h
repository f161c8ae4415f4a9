// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <optional>

namespace tessaro {

// Why a job did not do what was asked, whether the drive may have changed,
// and what the user is told.
struct JobFailure {
  enum class Kind {
    refused,             // the request or the drive was refused; nothing ran on it
    toolFailed,          // a tool failed, could not be started or could not be read
    toolMissing,         // a program the work needs is not installed
    authorization,       // administrator rights were refused or could not be asked for
    verificationFailed,  // the tools succeeded but the drive does not hold what was asked
    deviceChanged,       // the drive's name came to mean another drive
    deviceBusy,          // another program or Tessaro run holds the drive
    cancelled,           // stopped on request
    counterfeit,         // the capacity test found less than the drive claims
    damaged,             // the capacity test found data lost in places of the drive
    driveFailed,         // the capacity test found the drive refusing or dropping writes
    driveStopped,        // the drive stopped responding part way
    errorsLeft,          // a check found errors in the file system and left them there
    noSuchDevice,        // the drive is no longer attached; nothing ran on it
  };

  Kind kind = Kind::toolFailed;
  // Whether the job had begun to change the drive when it stopped.
  bool written = false;
  QString description;
  // The exit status of the helper or tool that ended the job, where one did.
  std::optional<int> exitStatus;

  // The kind the helper's failure event names (HelperContract::failureKind).
  // A request the helper could not read is Tessaro's own fault, not a
  // refusal: it counts as a tool that failed.
  static Kind ofHelperKind(const QString& kind);
};

}  // namespace tessaro
