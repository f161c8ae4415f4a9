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

}  // namespace tessaro
