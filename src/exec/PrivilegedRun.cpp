// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <QFileInfo>
#include <QObject>
#include <coroutine>
#include <functional>
#include <thread>

#include "exec/Error.h"
#include "exec/HelperContract.h"
#include "exec/MacPrivilegedTool.h"
#include "exec/OutputLineDecoder.h"
#include "exec/ProcessRunner.h"

#ifndef __APPLE__
#include "exec/PkexecLaunch.h"
#include "exec/PkexecReason.h"
#endif

namespace tessaro {

namespace {

// A tool line longer than this reaches the log in pieces of this length.
constexpr qsizetype kMaxLineLength = 65536;

// Awaiting it runs work on a thread of its own and resumes the awaiting
// coroutine on its own thread (through that thread's event loop) with the
// result; the awaiting thread is never blocked meanwhile.
template <typename Result>
class OnWorkerThread {
 public:
  explicit OnWorkerThread(std::function<Result()> work) : work_(std::move(work)) {}

  bool await_ready() const noexcept { return false; }

  void await_suspend(std::coroutine_handle<> handle) {
    auto* receiver = new QObject;  // lives on the awaiting thread
    std::thread([this, handle, receiver] {
      result_ = work_();
      QMetaObject::invokeMethod(
          receiver,
          [handle, receiver] {
            receiver->deleteLater();
            handle.resume();
          },
          Qt::QueuedConnection);
    }).detach();
  }

  Result await_resume() { return std::move(result_); }

 private:
  std::function<Result()> work_;
  Result result_{};
};

void deliver(const QStringList& lines, const LineHandler& onLines) {
  if (!lines.isEmpty() && onLines) onLines(lines);
}

Error authorizationFailed(qint64 status, const QString& more = QString()) {
  return Error(
      ErrorDomain::authorization, status,
      QStringLiteral("Authorization failed (") + QString::number(status) + QLatin1Char(')') + more);
}

}  // namespace

#ifdef __APPLE__

QCoro::Task<PrivilegedRunResult> ProcessRunner::run(QString tool, QStringList args,
                                                    LineHandler onLines,
                                                    std::shared_ptr<Cancellation> cancel) {
  // The authorization service gives no way to stop the tool it started.
  Q_UNUSED(cancel);
  OnWorkerThread<int32_t> ran([tool, args, onLines] {
    OutputLineDecoder decoder(kMaxLineLength);
    const int32_t status = runPrivilegedTool(
        tool, args, [&](const QByteArray& bytes) { deliver(decoder.feed(bytes), onLines); });
    deliver(decoder.finish(), onLines);
    return status;
  });
  const int32_t status = co_await ran;
  if (status != 0) throw authorizationFailed(status);
  // The authorization service never reports the exit status.
  co_return PrivilegedRunResult{std::nullopt, true, false};
}

#else

QCoro::Task<PrivilegedRunResult> ProcessRunner::run(QString tool, QStringList args,
                                                    LineHandler onLines,
                                                    std::shared_ptr<Cancellation> cancel) {
  QStringList command = QStringList{tool} + args;
  const bool elevated = forceElevation_ || !runsAsRoot();
  if (elevated) {
    if (!QFileInfo(elevationProgram_).isExecutable()) {
      throw authorizationFailed(
          127, QStringLiteral(": ") + elevationProgram_ +
                   QStringLiteral(" was not found. Install polkit (pkexec) to work on drives."));
    }
    command.prepend(elevationProgram_);
  }

  LaunchRequest request;
  request.command = command;
  request.markerLine = QByteArray(HelperContract::startMarker) + '\n';
  request.elevated = elevated;
  request.cancel = cancel;
  // Named first: g++ 12 mishandles temporaries made inside a co_await
  // expression.
  OnWorkerThread<LaunchOutcome> launched([request, onLines]() mutable {
    OutputLineDecoder decoder(kMaxLineLength);
    request.onOutput = [&](const QByteArray& bytes) { deliver(decoder.feed(bytes), onLines); };
    LaunchOutcome outcome = launchAndRead(request);
    deliver(decoder.finish(), onLines);
    return outcome;
  });
  const LaunchOutcome outcome = co_await launched;
  const PrivilegedRunResult result{outcome.exitStatus, outcome.markerSeen, outcome.cancelled};
  if (!outcome.markerSeen) {
    // Ended before the helper began: pkexec stopped on the cancel.
    if (outcome.cancelled) co_return result;
    // pkexec's own refusals (126 dismissed, 127 not authorized or not
    // started), in its own words.
    if (outcome.exitStatus == 126 || outcome.exitStatus == 127) {
      const QString reason = pkexecReason(outcome.errorOutput);
      throw authorizationFailed(outcome.exitStatus,
                                reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
    }
  }
  // The helper writes nothing to standard error; whatever came is shown.
  if (!outcome.errorOutput.isEmpty()) {
    OutputLineDecoder decoder(kMaxLineLength);
    QStringList lines = decoder.feed(outcome.errorOutput);
    lines += decoder.finish();
    deliver(lines, onLines);
  }
  co_return result;
}

#endif

}  // namespace tessaro
