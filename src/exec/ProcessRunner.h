// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "exec/Cancellation.h"
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

  // Runs tool with args with administrator rights, through the platform's
  // PrivilegedRunner (see there).
  QCoro::Task<PrivilegedRunResult> run(QString tool, QStringList args, LineHandler onLines = {},
                                       std::shared_ptr<Cancellation> cancel = {});

  // Tests put a runner with a stand-in for pkexec here.
  void setPrivilegedRunner(std::unique_ptr<PrivilegedRunner> runner);

 private:
  std::unique_ptr<PrivilegedRunner> privileged_;
};

}  // namespace tessaro
