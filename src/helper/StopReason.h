// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <utility>

namespace tessaro::helper {

// Why a verb cannot go on: the status it ends with (HelperContract::Status)
// and the line that says why, for the failure event and for people.
struct StopReason {
  int status = 0;
  std::string line;

  StopReason() = default;
  StopReason(int status, std::string line) : status(status), line(std::move(line)) {}
  // The line without its closing full stop, for a caller that goes on with
  // "; " and what was written.
  std::string lineWithoutStop() const {
    return !line.empty() && line.back() == '.' ? line.substr(0, line.size() - 1) : line;
  }
};

}  // namespace tessaro::helper
