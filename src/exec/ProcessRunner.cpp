// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/ProcessRunner.h"

#include <QObject>
#include <string>
#include <vector>

#include "exec/ChildProcess.h"
#include "exec/Error.h"
#include "exec/OnWorkerThread.h"
#include "exec/OutputLineDecoder.h"

namespace tessaro {

namespace {

// Runs cmd to its end on the calling thread, handing on its lines as the
// reads complete them.
ProcessRunner::CapturedRun capture(const QStringList& cmd, int cancelFd,
                                   const LineHandler& onLines) {
  ProcessRunner::CapturedRun run;
  // One channel: what the tool wrote to either stream arrives in the order
  // it wrote it (as far as its own buffering lets it). A group of its own,
  // so that a cancel reaches whatever the tool started.
  std::vector<std::string> words;
  for (const QString& word : cmd) words.push_back(word.toStdString());
  ChildProcess child(words, ChildProcess::Output::merged, ChildProcess::Group::own);
  child.setInheritedInput();
  if (!child.start()) {
    run.startError = QString::fromStdString(child.errorString());
    return run;
  }
  OutputLineDecoder decoder;
  const auto consume = [&](const QStringList& lines) {
    if (lines.isEmpty()) return;
    run.lines += lines;
    if (onLines) onLines(lines);
  };
  run.status = child.run(
      [&](std::string_view bytes) {
        consume(decoder.feed(QByteArrayView(bytes.data(), qsizetype(bytes.size()))));
      },
      cancelFd, [] { return ChildProcess::Watch::endChild; });
  consume(decoder.finish());
  run.stopped = child.wasStopped();
  return run;
}

// The run's text, trimmed; raises as runAndCapture says.
QString capturedText(const ProcessRunner::CapturedRun& run, ProcessRunner::Status status) {
  if (!run.startError.isEmpty()) throw Error(ErrorDomain::process, 0, run.startError);
  if (run.stopped) throw cancelledError();
  if (status == ProcessRunner::Status::checked && run.status != 0) {
    QString lastLine;
    for (auto line = run.lines.crbegin(); line != run.lines.crend() && lastLine.isEmpty(); ++line)
      lastLine = line->trimmed();
    throw Error(ErrorDomain::toolStatus, run.status, lastLine);
  }
  return run.lines.join(QLatin1Char('\n')).trimmed();
}

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
                                                    PrivilegedOutput output,
                                                    std::shared_ptr<Cancellation> cancel) {
  return privileged_->run(std::move(tool), std::move(args), std::move(output), std::move(cancel));
}

QCoro::Task<PrivilegedRunResult> ProcessRunner::runWithRequests(
    QString tool, QStringList args, PrivilegedOutput output,
    std::shared_ptr<HelperRequests> requests) {
  return privileged_->runWithRequests(std::move(tool), std::move(args), std::move(output),
                                      std::move(requests));
}

QCoro::Task<QString> ProcessRunner::runAndCapture(QStringList cmd, LineHandler onLines,
                                                  std::shared_ptr<Cancellation> cancel,
                                                  Status status) {
  if (cmd.isEmpty()) co_return QString();
  if (cancel && cancel->isCancelled()) throw cancelledError();

  // The run waits in poll() on a thread of its own; its lines reach onLines
  // here, through this thread's event loop, before the run's end does.
  QObject receiver;
  OnWorkerThread<CapturedRun> ran([&receiver, cmd, onLines, cancel] {
    return capture(cmd, cancel ? cancel->fd() : -1,
                   [&receiver, &onLines](const QStringList& lines) {
                     if (!onLines) return;
                     QMetaObject::invokeMethod(
                         &receiver, [onLines, lines] { onLines(lines); }, Qt::QueuedConnection);
                   });
  });
  const CapturedRun run = co_await ran;
  co_return capturedText(run, status);
}

ProcessRunner::BegunCapture::BegunCapture(QStringList cmd)
    : command_(std::move(cmd)),
      run_([cmd = command_, cancel = cancel_] { return capture(cmd, cancel->fd(), {}); }) {}

QCoro::Task<QString> ProcessRunner::runAndCapture(std::shared_ptr<BegunCapture> begun,
                                                  std::shared_ptr<Cancellation> cancel,
                                                  Status status) {
  // The begun run has its own cancel, which this one's reaches while it waits.
  Cancellation::Hook passOn;
  if (cancel) passOn = cancel->onCancel([stop = begun->cancel_] { stop->cancel(); });
  const CapturedRun run = co_await begun->run_;
  co_return capturedText(run, status);
}

}  // namespace tessaro
