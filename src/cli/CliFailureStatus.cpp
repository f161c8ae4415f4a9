// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliFailureStatus.h"

#include "exec/HelperContract.h"

namespace tessaro {

CliExitStatus CliFailureStatus::of(const Error& failure, bool cancelRequested) {
  if (cancelRequested || failure.domain() == ErrorDomain::cancelled) return cliCancelled;
  if (failure.domain() == ErrorDomain::authorization) return cliAuthorizationFailed;
  if (failure.domain() != ErrorDomain::job) return cliToolFailed;
  // The helper's own statuses; below 64 a tool's.
  switch (failure.code()) {
    case HelperContract::refusedDevice:
    case HelperContract::refusedRequest:
    case HelperContract::deviceChanged:
    case HelperContract::deviceBusy:
      return cliRefused;
    case HelperContract::verificationFailed:
      return cliVerificationFailed;
    case HelperContract::counterfeit:
      return cliCounterfeit;
    case HelperContract::cancelled:
      return cliCancelled;
    default:
      return cliToolFailed;
  }
}

QString CliFailureStatus::kind(int status) {
  switch (status) {
    case cliUsage:
      return QStringLiteral("usage");
    case cliRefused:
      return QStringLiteral("refused");
    case cliAuthorizationFailed:
      return QStringLiteral("authorization");
    case cliVerificationFailed:
      return QStringLiteral("verification");
    case cliCounterfeit:
      return QStringLiteral("counterfeit");
    case cliCancelled:
      return QStringLiteral("cancelled");
    case cliWriteError:
      return QStringLiteral("write-error");
    default:
      return QStringLiteral("tool-failed");
  }
}

}  // namespace tessaro
