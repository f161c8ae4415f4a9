// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>

#include "exec/Cancellation.h"
#include "exec/OnWorkerThread.h"
#include "exec/PrivilegedRunner.h"

namespace tessaro {

// Runs the operating system's tools for the rest of the system: plainly, with
// output captured (runAndCapture), or with administrator rights, with output
// streamed in chunks (run).
class ProcessRunner : public QObject {
  Q_OBJECT
 public:
  ProcessRunner();

  // The one process-wide runner.
  static ProcessRunner& shared();

  // Starts cmd[0] with the rest as its arguments (no shell, no search path)
  // in a process group of its own, with standard output and standard error
  // merged into one channel so that their order is kept as far as the tool's
  // buffering allows, and returns the decoded text, trimmed. Bytes that are
  // not UTF-8 become U+FFFD. onLines gets every line as the reads complete
  // it. An empty cmd gives "" without starting anything. A launch failure
  // raises an Error carrying the platform's message. With
  // Status::ignored an exit status or signal is no failure; with
  // Status::checked anything but exit status 0 raises an Error of the
  // toolStatus domain (code: the status, 128 + n for signal n; description:
  // the tool's last line). When cancel is asked for, the process group gets
  // SIGTERM, and SIGKILL after a short grace; the call then raises an Error
  // of the cancelled domain.
  enum class Status { ignored, checked };
  QCoro::Task<QString> runAndCapture(QStringList cmd, LineHandler onLines = {},
                                     std::shared_ptr<Cancellation> cancel = {},
                                     Status status = Status::ignored);

  // What a run of runAndCapture's brings back from its thread.
  struct CapturedRun {
    QString startError;  // why it did not start; empty when it did
    int status = 0;
    bool stopped = false;
    QStringList lines;
  };
  // A run of runAndCapture's begun ahead of need (at start-up, the drive
  // list while Qt starts and the window is built), before anyone awaits it.
  class BegunCapture {
   public:
    explicit BegunCapture(QStringList cmd);
    const QStringList& command() const { return command_; }
    // Waits up to timeout for the run to end; true when it has.
    bool waitFor(std::chrono::milliseconds timeout) const { return run_.waitFor(timeout); }

   private:
    friend class ProcessRunner;
    QStringList command_;
    std::shared_ptr<Cancellation> cancel_ = std::make_shared<Cancellation>();
    OnWorkerThread<CapturedRun> run_;
  };
  // Gives what runAndCapture would have given for the begun run's command
  // (without lines as they come); at once when the run has already ended. A
  // cancel stops it as runAndCapture's cancel does.
  QCoro::Task<QString> runAndCapture(std::shared_ptr<BegunCapture> begun,
                                     std::shared_ptr<Cancellation> cancel = {},
                                     Status status = Status::ignored);

  // Runs tool with args with administrator rights, through the platform's
  // PrivilegedRunner (see there).
  QCoro::Task<PrivilegedRunResult> run(QString tool, QStringList args, PrivilegedOutput output = {},
                                       std::shared_ptr<Cancellation> cancel = {});

  // The same with lines for the tool's standard input (PrivilegedRunner::runWithRequests).
  QCoro::Task<PrivilegedRunResult> runWithRequests(QString tool, QStringList args,
                                                   PrivilegedOutput output,
                                                   std::shared_ptr<HelperRequests> requests);

  // Tests put a runner with a stand-in for pkexec here.
  void setPrivilegedRunner(std::unique_ptr<PrivilegedRunner> runner);

 private:
  std::unique_ptr<PrivilegedRunner> privileged_;
};

}  // namespace tessaro
