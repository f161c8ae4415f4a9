// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <QByteArrayList>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>

namespace tessaro::security {

// One run of the helper binary of this build as a child process, the way a
// caller who got past pkexec could start it: any arguments, any environment.
// Standard input stays an open pipe for the whole run (the helper reads its
// end as the caller going away); standard output and standard error are read
// separately. The working directory is an empty directory of the run's own,
// so that text a shell would have run ("touch M") leaves a file there.
//
// The run can be frozen between two of its steps from outside, with no hook
// in the helper: SIGSTOP for the helper and every process below it.
class HelperRun {
 public:
  struct Setup {
    // NAME=VALUE entries; the test's own environment when none.
    std::optional<QByteArrayList> environment;
    // A program to cover, in a private mount namespace of the helper's own,
    // with an empty file that cannot be run.
    QString hiddenTool;
    // The helper is the foreground job of a pseudo-terminal of its own, as
    // pkexec started from a shell is, with the terminal as its standard input.
    bool terminal = false;
  };

  struct Result {
    int status = -1;  // the exit status; -1 when the helper was killed or did not end
    bool timedOut = false;
    QStringList lines;       // standard output, one entry a line
    QString errorOutput;     // standard error
    QStringList leftBehind;  // what appeared in the working directory
  };

  HelperRun(const QByteArrayList& args, const Setup& setup);
  explicit HelperRun(const QByteArrayList& args) : HelperRun(args, Setup{}) {}
  ~HelperRun();
  HelperRun(const HelperRun&) = delete;
  HelperRun& operator=(const HelperRun&) = delete;

  // Starts a run and waits for its end (see finish()).
  static Result run(const QByteArrayList& args, const Setup& setup, int timeoutMs = kTimeoutMs);
  static Result run(const QByteArrayList& args) { return run(args, Setup{}); }

  bool started() const { return pid_ > 0; }
  // Reads the helper's output until a line that accept takes, and returns it;
  // none when the output ends first or after timeoutMs.
  std::optional<QString> waitForLine(const std::function<bool(const QString&)>& accept,
                                     int timeoutMs = 60000);
  // Stops the helper, then everything it started; thaw() lets them go on.
  void freeze();
  void thaw();
  pid_t pid() const { return pid_; }
  // With Setup::terminal: keys typed at the terminal ("\x03" is Ctrl+C), and
  // its hang-up, which closes it.
  void typeAtTerminal(const QByteArray& keys);
  void hangUpTerminal();
  // Reads to the end of the output and waits for the helper to exit; kills
  // it, and everything it started, after timeoutMs.
  Result finish(int timeoutMs = kTimeoutMs);
  static constexpr int kTimeoutMs = 300000;

 private:
  bool pump(int timeoutMs);
  void killAll();

  QTemporaryDir workDir_;
  QTemporaryDir scratch_;
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  int stderr_ = -1;
  int terminal_ = -1;
  QByteArray outBuffer_;
  QByteArray errBuffer_;
  QStringList lines_;
  qsizetype linesSeen_ = 0;
  QList<pid_t> frozen_;
};

}  // namespace tessaro::security
