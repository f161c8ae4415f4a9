// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "cli/CliFailureStatus.h"
#include "exec/HelperContract.h"

using namespace tessaro;

TEST(CliFailureStatus, TellsRefusalsAuthorizationToolsVerificationAndCancelApart) {
  const struct {
    QString domain;
    qint64 code;
    bool cancelRequested;
    CliExitStatus status;
  } rows[] = {
      {ErrorDomain::authorization, 126, false, cliAuthorizationFailed},
      {ErrorDomain::authorization, 127, false, cliAuthorizationFailed},
      {ErrorDomain::job, HelperContract::refusedDevice, false, cliRefused},
      {ErrorDomain::job, HelperContract::refusedRequest, false, cliRefused},
      {ErrorDomain::job, HelperContract::deviceChanged, false, cliRefused},
      {ErrorDomain::job, HelperContract::deviceBusy, false, cliRefused},
      {ErrorDomain::job, HelperContract::verificationFailed, false, cliVerificationFailed},
      {ErrorDomain::job, HelperContract::cancelled, false, cliCancelled},
      {ErrorDomain::job, HelperContract::counterfeit, false, cliCounterfeit},
      {ErrorDomain::job, HelperContract::toolFailed, false, cliToolFailed},
      {ErrorDomain::job, HelperContract::toolMissing, false, cliToolFailed},
      {ErrorDomain::job, HelperContract::usage, false, cliToolFailed},
      {ErrorDomain::job, 1, false, cliToolFailed},  // wipefs, mkfs.fat, or fsck.fat left errors
      {ErrorDomain::job, 4, false, cliToolFailed},
      {ErrorDomain::job, 128 + 15, false, cliToolFailed},  // the helper killed
      {ErrorDomain::process, 2, false, cliToolFailed},
      {ErrorDomain::json, 1, false, cliToolFailed},
      {ErrorDomain::cancelled, 0, false, cliCancelled},
      // Once Ctrl+C was pressed, whatever ended the job counts as cancelled.
      {ErrorDomain::job, HelperContract::toolFailed, true, cliCancelled},
      {ErrorDomain::authorization, 126, true, cliCancelled},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CliFailureStatus::of(Error(row.domain, row.code, "x"), row.cancelRequested),
              row.status)
        << row.domain.toStdString() << ' ' << row.code;
  }
}
