// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <stdexcept>
#include <string>

namespace tessaro {

// Why a capacity test ended without a verdict: a code (an errno value for a
// failure of the system, or one of the test's own) and a description in
// English, as the helper's failure line gives it (what()).
class ProbeError : public std::runtime_error {
 public:
  // The test's own codes, apart from errno's.
  enum Code : int {
    cancelled = -1,         // the caller asked it to stop
    stoppedResponding = 2,  // the drive fails even its first block: no verdict on it
    tooSmall = 3,           // not one whole block to test
  };

  ProbeError(int code, const std::string& description)
      : std::runtime_error(description), code_(code) {}

  int code() const { return code_; }

 private:
  int code_;
};

}  // namespace tessaro
