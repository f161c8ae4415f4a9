// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "exec/Cancellation.h"

namespace tessaro {

// Receives the lines of a child's output, one batch per read, in order.
// Unprivileged runs call it on the main thread; privileged runs call it on
// their worker thread.
using LineHandler = std::function<void(const QStringList& lines)>;

// What a privileged run learnt about the tool it ran.
struct PrivilegedRunResult {
  // The tool's exit status where the platform can know it (Linux); none where
  // it cannot (macOS's authorization service never reports it).
  std::optional<int> exitStatus;
  // Whether the tool itself began, past any request for rights (on Linux: the
  // helper printed its start marker).
  bool toolStarted = false;
  // Whether the run was asked to stop while it ran.
  bool cancelled = false;
};

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
  // raises an Error carrying the platform's message; exit status and signals
  // are not failures. When cancel is asked for, the process group gets
  // SIGTERM, and SIGKILL after a short grace; the call then raises an Error
  // of the cancelled domain.
  QCoro::Task<QString> runAndCapture(QStringList cmd, LineHandler onLines = {},
                                     std::shared_ptr<Cancellation> cancel = {});

  // Runs tool with args with administrator rights. Its output reaches
  // onLines line by line, in batches, as it arrives. Raises
  // Error("Authorization failed (<status>): <reason>") when rights are
  // refused or the tool cannot be started. A cancel asks the tool to stop
  // (on Linux: through the helper's standard input); the run then ends when
  // the tool has stopped, with cancelled set.
  QCoro::Task<PrivilegedRunResult> run(QString tool, QStringList args, LineHandler onLines = {},
                                       std::shared_ptr<Cancellation> cancel = {});

  // The program that obtains administrator rights on Linux (pkexec). Tests
  // put a stand-in here. Unused when the process already runs as root, unless
  // forceElevation is set.
  void setElevationProgram(const QString& path, bool forceElevation = false);
  QString elevationProgram() const { return elevationProgram_; }

 private:
  QString elevationProgram_;
  bool forceElevation_ = false;
};

}  // namespace tessaro
