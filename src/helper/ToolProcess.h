// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

namespace tessaro {

// One tool run as a child process: the program by its absolute path with an
// argument vector (never a shell, never a search path), in a process group of
// its own so that it can be ended with everything it started.
//
// With Output::terminal the tool's standard output and standard error share
// one pseudo-terminal in raw mode: the tool sees a terminal and writes line by
// line, so its lines arrive in the order it wrote them, byte for byte (no
// CR/LF translation, no echo). With Output::pipe only standard output is read;
// standard error stays this process's own.
//
// Standard input is /dev/null, a text written to the tool and then closed, or
// a channel that stays open until the run ends (writeInput).
class ToolProcess {
 public:
  enum class Output { terminal, pipe };
  using OutputHandler = std::function<void(const QByteArray&)>;
  // What a run does after the watched descriptor was readable.
  enum class Watch { carryOn, stopWatching, endTool };
  using WatchHandler = std::function<Watch()>;

  static constexpr std::chrono::milliseconds defaultGrace{2000};

  explicit ToolProcess(QStringList command, Output output = Output::terminal);
  // A tool still running is ended (stop()) and reaped.
  ~ToolProcess();
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  // Before start(): what the tool reads on standard input, then end of input.
  void setInputText(QByteArray text);
  // Before start(): standard input stays open, for writeInput, until the run ends.
  void setHeldInput();

  // Starts the tool. False when it could not be started (errorString says why);
  // a program that is not an absolute path is never started.
  bool start();
  QString errorString() const { return error_; }
  pid_t pid() const { return pid_; }

  // Hands on every read of output (at most 4096 bytes) as it arrives until the
  // output has ended and the tool has exited; returns its exit status, 128 + n
  // when signal n ended it. watchFd, when not -1, is polled alongside and
  // onWatch called when it is readable; once onWatch returns true the tool is
  // ended as by stop() and watchFd is no longer polled.
  int run(const OutputHandler& onOutput, int watchFd = -1, const WatchHandler& onWatch = {});

  // Whether the run ended the tool (stop() or a watch handler).
  bool wasStopped() const { return stopRequested_; }

  // Writes to a held standard input; false when the tool no longer reads it.
  bool writeInput(const QByteArray& bytes);

  // Ends the tool outside run(): SIGTERM to its process group, SIGKILL after
  // grace when it has not exited; reaps it. Returns its exit status.
  int stop(std::chrono::milliseconds grace = defaultGrace);

 private:
  bool exited();
  void signalGroup(int signal);
  void closeDescriptors();

  QStringList command_;
  Output output_;
  enum class Input { none, text, held } input_ = Input::none;
  QByteArray inputText_;
  qsizetype inputWritten_ = 0;
  QString error_;
  pid_t pid_ = -1;
  int outputFd_ = -1;
  int inputFd_ = -1;
  int pidFd_ = -1;
  bool reaped_ = false;
  int exitStatus_ = -1;
  bool stopRequested_ = false;
};

}  // namespace tessaro
