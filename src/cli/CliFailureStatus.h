#pragma once

#include "cli/CliExitStatus.h"
#include "exec/Error.h"

namespace tessaro {

// The exit status of a job that failed, from the error it ended with.
class CliFailureStatus {
 public:
  static CliExitStatus of(const Error& failure, bool cancelRequested);
};

}  // namespace tessaro
