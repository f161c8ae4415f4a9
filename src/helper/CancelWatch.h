// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>

namespace tessaro::helper {

// Watches the helper's standard input for the caller's requests: a line
// HelperContract::cancelRequest asks the run to stop, and so does anything
// else (it is no request); the end of input means the caller has gone. A
// standard input that is not a pipe, a socket or a terminal (such as
// /dev/null) carries no requests and is not watched.
// SIGTERM, once the helper has called watchTermination(), asks the run to
// stop exactly as the cancel line does.
class CancelWatch {
 public:
  enum class State { quiet, cancelRequested, callerGone };

  // fd: the input to watch; -1 watches nothing, not even SIGTERM.
  explicit CancelWatch(int fd = 0);
  ~CancelWatch();
  CancelWatch(const CancelWatch&) = delete;
  CancelWatch& operator=(const CancelWatch&) = delete;

  // From now on SIGTERM is a cancel request for every watch. Call once, early.
  static void watchTermination();
  // In a process forked from the helper once it watched SIGTERM: from now on
  // SIGTERM is this process's own request, told on a pipe of its own, and
  // none the other process had heard counts here.
  static void watchTerminationAnew();
  // Readable from the first SIGTERM on, once watchTermination() was called;
  // -1 before.
  static int terminationFd();
  // Whether fd can carry the caller's requests: a pipe, a socket or a terminal.
  static bool carriesRequests(int fd);

  // One descriptor to poll alongside a tool's output, readable while there
  // is something to read: input, its end, or SIGTERM (an epoll set); -1 when
  // nothing is watched. Once the input has ended, only SIGTERM makes it
  // readable.
  int fd() const { return epoll_; }

  // Reads what is there without waiting and returns the state it leads to.
  // A cancel request outranks the end of input that follows it; it is heard
  // as soon as its line's first bytes are, however much input came before.
  State readAvailable();
  State state() const { return state_; }

 private:
  void stopWatchingInput();
  State requestStop();

  int fd_;
  int epoll_ = -1;
  bool inputWatched_ = false;
  State state_ = State::quiet;
  std::string pending_;
};

}  // namespace tessaro::helper
