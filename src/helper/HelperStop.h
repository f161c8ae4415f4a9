// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <exception>

namespace tessaro::helper {

// Ends a verb early with an exit status of HelperContract::Status. Whoever
// throws it has already told the failure (sayFailure: its event and the line
// that says why); main() returns the status.
class HelperStop : public std::exception {
 public:
  explicit HelperStop(int status) : status_(status) {}
  int status() const { return status_; }
  const char* what() const noexcept override { return "tessaro-helper stopped"; }

 private:
  int status_;
};

}  // namespace tessaro::helper
