// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro {

// The one way Tessaro starts a program (the helper through pkexec, the
// helper's tools, the window's own lsblk and udisksctl runs): posix_spawn of
// an absolute path with an argument vector (never a shell, never a search
// path), with this process's environment as it is at start() (the helper
// has cut its own down to what its tools may see), with no descriptor of this process but
// the standard ones it is given, with the signal mask and dispositions a fresh
// program expects, and in a process group of its own so that it can be ended
// with everything it started.
//
// Its output is read without blocking, read by read, until the output has
// ended and the child has exited. A child that has exited while something it
// started still holds its output open gets a grace, then its group is killed
// and the output closed here: a run never waits on an orphan.
//
// Standard input is /dev/null, this process's own, a text written to the child
// and then closed, or a channel that stays open until the run ends
// (writeInput).
class ChildProcess {
 public:
  // Where the child's standard output and standard error go.
  enum class Output {
    // Standard output is read; standard error stays this process's.
    pipe,
    // Both on one pipe, in the order the child wrote them (as far as its own
    // buffering lets it).
    merged,
    // Standard output is read; standard error is kept apart (errorOutput).
    separate,
    // Both on one pseudo-terminal in raw mode: the child sees a terminal and
    // writes line by line, and what it writes arrives unchanged (no CR/LF
    // translation, no echo). The terminal is never its controlling terminal.
    terminal,
  };
  // Which process group the child runs in.
  enum class Group {
    // A session of its own: no terminal's signals reach it, and it has no
    // controlling terminal to open.
    session,
    // A process group of its own in this session.
    own,
    // This process's group, for a program that may have to ask at the
    // caller's terminal (pkexec); signals then reach the child alone.
    caller,
  };
  enum class Input { null, inherited, text, held };
  // Each read of output, as it arrives.
  using OutputHandler = std::function<void(std::string_view bytes)>;
  // What a run does after the watched descriptor was readable.
  enum class Watch { carryOn, stopWatching, endChild };
  using WatchHandler = std::function<Watch()>;

  static constexpr std::chrono::milliseconds defaultGrace{2000};
  // What errorOutput keeps at most.
  static constexpr std::size_t errorOutputCap = 65536;

  explicit ChildProcess(std::vector<std::string> command, Output output = Output::pipe,
                        Group group = Group::session);
  // A child still running is ended (stop()) and reaped.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Before start(): what the child reads on standard input, then end of input.
  void setInputText(std::string text);
  // Before start(): standard input stays open, for writeInput, until the run ends.
  void setHeldInput();
  // Before start(): the child reads this process's standard input.
  void setInheritedInput();

  // Starts the child. False when it could not be started (errorString says
  // why); a program that is not an absolute path is never started.
  bool start();
  std::string errorString() const { return error_; }
  pid_t pid() const { return pid_; }

  // Hands on every read of output as it arrives until the output has ended
  // and the child has exited; returns its exit status, 128 + n when signal n
  // ended it, 127 when it never started. watchFd, when not -1, is polled
  // alongside and onWatch called when it is readable; on Watch::endChild the
  // child is ended as by stop() and watchFd is no longer polled.
  int run(const OutputHandler& onOutput, int watchFd = -1, const WatchHandler& onWatch = {});

  // Whether the run ended the child (stop() or a watch handler).
  bool wasStopped() const { return stopRequested_; }
  // Why how the child ended cannot be told ("could not be waited for (No
  // child processes)"), when it cannot: run()'s status then means nothing.
  std::string runError() const { return runError_; }

  // Writes to a held standard input; false when the child no longer reads it.
  bool writeInput(std::string_view bytes);
  // Ends a held standard input: the child reads what was written, then end
  // of input, as from a caller that has gone away.
  void closeInput();

  // Sends signal to the child's process group (Group::caller: to the child
  // alone). Nothing once the child has been reaped and its output has ended.
  void signal(int signal);

  // Ends the child outside run(): SIGTERM, SIGKILL after grace when it has
  // not exited; reaps it. Returns its exit status.
  int stop(std::chrono::milliseconds grace = defaultGrace);

  // What the child wrote to standard error with Output::separate: the first
  // errorOutputCap bytes.
  std::string errorOutput() const { return errorOutput_; }

 private:
  bool exited();
  void closeDescriptors();

  std::vector<std::string> command_;
  Output output_;
  Group group_;
  Input input_ = Input::null;
  std::string inputText_;
  std::size_t inputWritten_ = 0;
  std::string error_;
  std::string runError_;
  std::string errorOutput_;
  pid_t pid_ = -1;
  int outputFd_ = -1;
  int errorFd_ = -1;
  int inputFd_ = -1;
  int pidFd_ = -1;
  bool reaped_ = false;
  int exitStatus_ = 127;
  bool stopRequested_ = false;
};

}  // namespace tessaro
