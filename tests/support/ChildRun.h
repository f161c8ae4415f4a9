// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "contract/FrameReader.h"
#include "exec/ChildProcess.h"

namespace tessaro::test {

// One run of a program as a child process of the test, started as the
// application starts one (ChildProcess), and the way a caller may start it:
// any arguments, any environment. Standard input is a channel: the input given
// is written and the channel closed; without input it stays open and silent
// for the whole run (the helper reads its end as the caller going away). Standard output, split
// into lines, and standard error are read separately. The working directory is an empty directory
// of the run's own, so that text a shell would have run ("touch M") leaves a file there.
//
// The run can be frozen between two of its steps from outside, with no hook
// in the program: SIGSTOP for it and every process below it.
class ChildRun;

// How a child is started.
struct ChildRunSetup {
  // NAME=VALUE entries; the test's own environment when none.
  std::optional<QByteArrayList> environment;
  // A program to cover, in a private mount namespace of the child's own,
  // with an empty file that cannot be run, or with toolStandIn.
  QString hiddenTool;
  QString toolStandIn;
  // The child is the foreground job of a pseudo-terminal of its own, as
  // pkexec started from a shell is, with the terminal as its standard input.
  bool terminal = false;
  // Written to standard input, which is then closed.
  std::optional<QByteArray> input;
  // Changes to the environment: NAME=VALUE sets NAME, a bare NAME removes it.
  QByteArrayList environmentChanges;
  // Standard output goes to this file instead ("/dev/full": nobody can read it).
  QString outputFile;
  // Standard error goes where standard output goes, interleaved as on a terminal.
  bool mergeErrorOutput = false;
  // Standard output is the helper's, in frames (HelperContract.h): its lines
  // are read as the application reads them (FrameReader), the start marker
  // taken off, each text frame a line, and each event frame a line of its
  // own as eventPrefix and the event's JSON.
  bool helperFrames = false;
};

// How it ended and what it printed.
struct ChildRunResult {
  int status = -1;  // the exit status, 128 + n when signal n ended it; -1 when it never started
  bool timedOut = false;
  QString output;          // standard output
  QStringList lines;       // the same, one entry a line
  QString errorOutput;     // standard error
  QStringList leftBehind;  // what appeared in the working directory
};

class ChildRun {
 public:
  using Setup = ChildRunSetup;
  using Result = ChildRunResult;

  // program: an absolute path, or a name looked up in PATH as a shell would.
  ChildRun(const QString& program, const QByteArrayList& args, const Setup& setup = {});
  ~ChildRun();

  // Starts a run and waits for its end (see finish()).
  static Result run(const QString& program, const QByteArrayList& args, const Setup& setup = {},
                    int timeoutMs = kTimeoutMs);

  bool started() const { return process_.has_value(); }
  // Reads the output until a line that accept takes, and returns it; none when
  // the output ends first or after timeoutMs.
  std::optional<QString> waitForLine(const std::function<bool(const QString&)>& accept,
                                     int timeoutMs = 60000);
  // Writes to standard input while the child runs.
  void send(const QByteArray& bytes);
  // Stops the child, then everything it started; thaw() lets them go on.
  void freeze();
  void thaw();
  // The child's; -1 once it has ended (and its output with it).
  pid_t pid() const;
  // With Setup::terminal: keys typed at the terminal ("\x03" is Ctrl+C), and
  // its hang-up, which closes it.
  void typeAtTerminal(const QByteArray& keys);
  void hangUpTerminal();
  // Reads to the end of the output and waits for the child to exit; kills
  // it, and everything it started, after timeoutMs.
  Result finish(int timeoutMs = kTimeoutMs);
  static constexpr int kTimeoutMs = 300000;

 private:
  std::vector<std::string> command(const QByteArrayList& args, const Setup& setup);
  void takeLines(bool atEnd);
  void killAll();

  QTemporaryDir workDir_;
  QTemporaryDir scratch_;
  QString program_;
  QString startError_;
  int terminal_ = -1;
  std::optional<ChildProcess> process_;
  // What the reader, a thread that runs the child to its end, hands over.
  std::thread reader_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool ended_ = false;
  int status_ = -1;
  std::optional<contract::FrameReader> frames_;
  QByteArray outBuffer_;
  QByteArray output_;
  QStringList lines_;
  qsizetype linesSeen_ = 0;
  QList<pid_t> frozen_;
};

// Runs a program to its end, its standard input open and silent: its exit
// status and its trimmed standard output.
std::pair<int, QString> runProgram(const QString& program, const QStringList& args);

// Texts as the arguments of a run, in UTF-8.
QByteArrayList argumentsOf(const QStringList& args);

}  // namespace tessaro::test
