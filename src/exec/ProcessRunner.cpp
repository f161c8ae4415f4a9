// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/ProcessRunner.h"

#include <signal.h>
#include <unistd.h>

#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <coroutine>
#include <memory>

#include "exec/Error.h"
#include "exec/OutputLineDecoder.h"

namespace tessaro {

namespace {

// Suspends the caller until the process has finished or failed to start,
// without blocking the thread: the event loop keeps running meanwhile.
class ProcessEnd {
 public:
  explicit ProcessEnd(QProcess* process) : process_(process) {}

  // A launch failure can be reported synchronously inside start().
  bool await_ready() const { return failedToStart(); }

  void await_suspend(std::coroutine_handle<> handle) {
    auto resumed = std::make_shared<bool>(false);
    auto resumeOnce = [this, handle, resumed] {
      if (*resumed) return;
      *resumed = true;
      QObject::disconnect(finished_);
      QObject::disconnect(error_);
      handle.resume();
    };
    finished_ =
        QObject::connect(process_, &QProcess::finished, process_, resumeOnce, Qt::QueuedConnection);
    error_ = QObject::connect(
        process_, &QProcess::errorOccurred, process_,
        [this, resumeOnce](QProcess::ProcessError error) {
          if (error == QProcess::FailedToStart) {
            failed_ = true;
            resumeOnce();
          }
        },
        Qt::QueuedConnection);
  }

  bool await_resume() const { return !failed_ && !failedToStart(); }

 private:
  bool failedToStart() const { return process_->error() == QProcess::FailedToStart; }

  QProcess* process_;
  bool failed_ = false;
  QMetaObject::Connection finished_;
  QMetaObject::Connection error_;
};

// Ends a child's process group on request: SIGTERM first, SIGKILL when the
// group is still there after a short grace.
class ProcessGroupStopper {
 public:
  static constexpr int graceMs = 2000;

  explicit ProcessGroupStopper(QProcess* process) : process_(process) {
    grace_.setSingleShot(true);
    grace_.setInterval(graceMs);
    QObject::connect(&grace_, &QTimer::timeout, &grace_, [this] { signalGroup(SIGKILL); });
  }

  QObject* receiver() { return &grace_; }

  void stop() {
    if (ended_ || stopped_) return;
    stopped_ = true;
    signalGroup(SIGTERM);
    grace_.start();
  }

  // After the child has been reaped its group id may be reused: no more
  // signals from here on.
  void ended() {
    ended_ = true;
    grace_.stop();
  }

  bool stopped() const { return stopped_; }

 private:
  void signalGroup(int signal) {
    if (ended_) return;
    const qint64 pid = process_->processId();
    if (pid <= 0) return;
    ::kill(-pid_t(pid), signal);
    // The child may not have made its group yet.
    ::kill(pid_t(pid), signal);
  }

  QProcess* process_;
  QTimer grace_;
  bool stopped_ = false;
  bool ended_ = false;
};

}  // namespace

ProcessRunner::ProcessRunner() : privileged_(PrivilegedRunner::platformDefault()) {}

ProcessRunner& ProcessRunner::shared() {
  static ProcessRunner runner;  // thread-safe, made once on first use
  return runner;
}

void ProcessRunner::setPrivilegedRunner(std::unique_ptr<PrivilegedRunner> runner) {
  privileged_ = std::move(runner);
}

QCoro::Task<PrivilegedRunResult> ProcessRunner::run(QString tool, QStringList args,
                                                    LineHandler onLines,
                                                    std::shared_ptr<Cancellation> cancel) {
  return privileged_->run(std::move(tool), std::move(args), std::move(onLines), std::move(cancel));
}

QCoro::Task<QString> ProcessRunner::runAndCapture(QStringList cmd, LineHandler onLines,
                                                  std::shared_ptr<Cancellation> cancel,
                                                  Status status) {
  if (cmd.isEmpty()) co_return QString();
  if (cancel && cancel->isCancelled()) throw cancelledError();

  auto process = std::make_unique<QProcess>();
  process->setProgram(cmd.first());
  process->setArguments(cmd.mid(1));
  // One channel: what the tool wrote to either stream arrives in the order
  // it wrote it (as far as its own buffering lets it).
  process->setProcessChannelMode(QProcess::MergedChannels);
  process->setInputChannelMode(QProcess::ForwardedInputChannel);
  // A group of its own, so that a cancel reaches whatever the tool started.
  process->setChildProcessModifier([] { ::setpgid(0, 0); });

  OutputLineDecoder decoder;
  QStringList captured;
  auto consume = [&](const QStringList& lines) {
    if (lines.isEmpty()) return;
    if (onLines) onLines(lines);
    captured += lines;
  };
  QObject::connect(process.get(), &QProcess::readyReadStandardOutput, process.get(),
                   [&, p = process.get()] { consume(decoder.feed(p->readAll())); });

  ProcessGroupStopper stopper(process.get());
  Cancellation::Hook hook;
  if (cancel) {
    hook = cancel->onCancel([&stopper] {
      QMetaObject::invokeMethod(stopper.receiver(), [&stopper] { stopper.stop(); });
    });
  }

  process->start(QIODevice::ReadOnly);
  const bool started = co_await ProcessEnd(process.get());
  hook.release();
  stopper.ended();
  if (!started) {
    const QString message = process->errorString();
    process->disconnect();
    throw Error(ErrorDomain::process, static_cast<qint64>(QProcess::FailedToStart), message);
  }
  process->disconnect();
  consume(decoder.feed(process->readAll()));
  consume(decoder.finish());
  if (stopper.stopped()) throw cancelledError();
  if (status == Status::checked &&
      (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0)) {
    QString lastLine;
    for (auto line = captured.crbegin(); line != captured.crend() && lastLine.isEmpty(); ++line)
      lastLine = line->trimmed();
    // QProcess gives no signal number: a crash reads as 128 + SIGKILL's 9 at most.
    const int code = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : 128;
    throw Error(ErrorDomain::toolStatus, code, lastLine);
  }
  co_return captured.join(QLatin1Char('\n')).trimmed();
}

}  // namespace tessaro
