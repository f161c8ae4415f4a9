// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "cli/CliFailureStatus.h"
#include "contract/HelperContract.h"

using namespace tessaro;

// From the helper's failure event (its kind names its status) to the exit
// status; tessaro-cli's statuses are what its manual says scripts can rely on.
TEST(CliFailureStatus, TellsRefusalsAuthorizationToolsVerificationAndCancelApart) {
  using Kind = JobFailure::Kind;
  const struct {
    int helperStatus;
    CliExitStatus status;
    const char* kind;
  } told[] = {
      {HelperContract::refusedDevice, cliRefused, "refused"},
      {HelperContract::refusedRequest, cliRefused, "refused"},
      {HelperContract::deviceChanged, cliRefused, "refused"},
      {HelperContract::deviceBusy, cliRefused, "refused"},
      {HelperContract::verificationFailed, cliVerificationFailed, "verification"},
      {HelperContract::cancelled, cliCancelled, "cancelled"},
      {HelperContract::counterfeit, cliCounterfeit, "counterfeit"},
      {HelperContract::toolFailed, cliToolFailed, "tool-failed"},
      {HelperContract::toolMissing, cliToolFailed, "tool-failed"},
      {HelperContract::driveStopped, cliToolFailed, "tool-failed"},
      {HelperContract::noSuchDevice, cliRefused, "no-such-device"},
      // A request the helper could not read is Tessaro's fault, not a refusal.
      {HelperContract::usage, cliToolFailed, "tool-failed"},
      {1, cliToolFailed, "tool-failed"},  // a tool's own status: wipefs or mkfs.fat failed
      {4, cliToolFailed, "tool-failed"},
      {128 + 15, cliToolFailed, "tool-failed"},  // the helper killed
  };
  for (const auto& row : told) {
    const JobFailure failure{
        JobFailure::ofHelperKind(HelperContract::failureKind(row.helperStatus)), false, "x", {}};
    EXPECT_EQ(CliFailureStatus::of(failure, false), row.status) << row.helperStatus;
    EXPECT_EQ(CliFailureStatus::kind(failure, false), row.kind) << row.helperStatus;
  }
  EXPECT_EQ(CliFailureStatus::of({Kind::authorization, false, "x", 126}, false),
            cliAuthorizationFailed);
  // Once Ctrl+C was pressed, whatever ended the job counts as cancelled.
  for (const Kind kind : {Kind::toolFailed, Kind::authorization, Kind::refused})
    EXPECT_EQ(CliFailureStatus::of({kind, true, "x", {}}, true), cliCancelled);
  // A check's errors left are fsck's 4; every status a signal gave is a cancel.
  EXPECT_EQ(CliFailureStatus::of({Kind::errorsLeft, true, "x", 4}, false), cliErrorsLeft);
  EXPECT_EQ(CliFailureStatus::kind(cliSignalled + 15), "cancelled");
  EXPECT_EQ(CliFailureStatus::kind(cliUsage), "usage");
  EXPECT_EQ(CliFailureStatus::kind(cliWriteError), "write-error");
}

// A batch exits with its drives' one failure where they failed alike, with 20
// where they failed in different ways; a check's corrected errors are no
// failure, and a success says nothing against a failure.
TEST(CliFailureStatus, ABatchExitsWithItsDrivesOneFailureOrWithMixed) {
  const struct {
    QList<int> statuses;
    int status;
  } rows[] = {
      {{0, 0, 0}, 0},
      {{0, 1, 0}, 1},
      {{6, 0, 6}, 6},
      {{1, 4}, 4},
      {{7, 7, 7, 7}, 7},
      {{6, 8}, cliMixedFailures},
      {{0, 3, 5, 3}, cliMixedFailures},
  };
  for (const auto& row : rows)
    EXPECT_EQ(CliFailureStatus::ofBatch(row.statuses), row.status) << row.statuses.size();
  EXPECT_EQ(CliFailureStatus::kind(cliMixedFailures), "mixed");
}
