// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliFailureStatus.h"

#include <algorithm>
#include <optional>

namespace tessaro {

namespace {

using Kind = JobFailure::Kind;

struct Row {
  std::optional<Kind> failure;  // none: a status of the command line's own
  CliExitStatus status;
  const char* kind;
};

// The first row of a status gives its "kind".
constexpr Row kRows[] = {
    {std::nullopt, cliUsage, "usage"},
    {Kind::refused, cliRefused, "refused"},
    {Kind::deviceChanged, cliRefused, "refused"},
    {Kind::deviceBusy, cliRefused, "refused"},
    {Kind::noSuchDevice, cliRefused, "no-such-device"},
    {Kind::errorsLeft, cliErrorsLeft, "errors-left"},
    {Kind::authorization, cliAuthorizationFailed, "authorization"},
    {Kind::verificationFailed, cliVerificationFailed, "verification"},
    {Kind::counterfeit, cliCounterfeit, "counterfeit"},
    {Kind::damaged, cliDamaged, "damaged"},
    {Kind::cancelled, cliCancelled, "cancelled"},
    {Kind::toolFailed, cliToolFailed, "tool-failed"},
    {Kind::toolMissing, cliToolFailed, "tool-failed"},
    {Kind::driveStopped, cliToolFailed, "tool-failed"},
    {Kind::driveFailed, cliDriveFailed, "drive-failed"},
    {std::nullopt, cliWriteError, "write-error"},
    {std::nullopt, cliMixedFailures, "mixed"},
};

}  // namespace

CliExitStatus CliFailureStatus::of(const JobFailure& failure, bool cancelRequested) {
  if (cancelRequested) return cliCancelled;
  for (const Row& row : kRows)
    if (row.failure == failure.kind) return row.status;
  return cliToolFailed;
}

QString CliFailureStatus::kind(const JobFailure& failure, bool cancelRequested) {
  if (cancelRequested) return kind(cliCancelled);
  for (const Row& row : kRows)
    if (row.failure == failure.kind) return QLatin1StringView(row.kind);
  return kind(cliToolFailed);
}

int CliFailureStatus::ofBatch(const QList<int>& statuses) {
  std::optional<int> failed;
  int best = cliSuccess;
  for (const int status : statuses) {
    // Errors a check corrected are its success.
    if (status == cliSuccess || status == cliErrorsCorrected) {
      best = std::max(best, status);
    } else if (!failed) {
      failed = status;
    } else if (*failed != status) {
      return cliMixedFailures;
    }
  }
  return failed.value_or(best);
}

QString CliFailureStatus::kind(int status) {
  // Every signal that stopped a command cancelled it.
  if (status > cliSignalled && status < cliSignalled + 64) status = cliCancelled;
  for (const Row& row : kRows)
    if (row.status == status) return QLatin1StringView(row.kind);
  return QStringLiteral("tool-failed");
}

}  // namespace tessaro
