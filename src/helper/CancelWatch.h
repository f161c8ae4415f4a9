// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>

namespace tessaro::helper {

// Watches the helper's standard input for the caller's requests: a line
// HelperContract::cancelRequest asks the run to stop; the end of input means
// the caller has gone. A standard input that is not a pipe, a socket or a
// terminal (such as /dev/null) carries no requests and is not watched.
class CancelWatch {
 public:
  enum class State { quiet, cancelRequested, callerGone };

  explicit CancelWatch(int fd = 0);

  // The descriptor to poll alongside a tool's output; -1 when not watched.
  int fd() const { return watched_ ? fd_ : -1; }

  // Reads what is there without waiting and returns the state it leads to.
  // A cancel request outranks the end of input that follows it.
  State readAvailable();
  State state() const { return state_; }

 private:
  int fd_;
  bool watched_ = false;
  State state_ = State::quiet;
  QByteArray pending_;
};

}  // namespace tessaro::helper
