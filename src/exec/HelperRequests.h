// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace tessaro {

// The lines a caller writes to a running helper's standard input (its cancel
// requests, HelperContract.h), posted from any thread and taken by the run
// that holds that input, which waits for them in poll() on fd().
class HelperRequests {
 public:
  HelperRequests() = default;
  ~HelperRequests();
  HelperRequests(const HelperRequests&) = delete;
  HelperRequests& operator=(const HelperRequests&) = delete;

  // Adds one line (without its line feed).
  void post(std::string line);
  // The lines posted since the last call, oldest first.
  std::vector<std::string> take();
  // Readable while posted lines wait to be taken; -1 when it cannot be made.
  int fd();

 private:
  std::mutex mutex_;
  std::deque<std::string> lines_;
  int pipe_[2] = {-1, -1};
};

}  // namespace tessaro
