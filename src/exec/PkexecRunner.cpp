// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/PkexecRunner.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "contract/HelperContract.h"
#include "exec/HelperFrames.h"
#include "exec/OnWorkerThread.h"
#include "exec/PkexecLaunch.h"
#include "exec/PkexecReason.h"

namespace tessaro {

// Linux builds link this file; macOS builds take AuthorizationRunner.cpp.
std::unique_ptr<PrivilegedRunner> PrivilegedRunner::platformDefault() {
  return std::make_unique<PkexecRunner>();
}

PkexecRunner::PkexecRunner(QString elevationProgram, bool forceElevation)
    : elevationProgram_(std::move(elevationProgram)), forceElevation_(forceElevation) {}

QCoro::Task<PrivilegedRunResult> PkexecRunner::run(QString tool, QStringList args,
                                                   PrivilegedOutput output,
                                                   std::shared_ptr<Cancellation> cancel) {
  return launch(std::move(tool), std::move(args), std::move(output), std::move(cancel), {});
}

QCoro::Task<PrivilegedRunResult> PkexecRunner::runWithRequests(
    QString tool, QStringList args, PrivilegedOutput output,
    std::shared_ptr<HelperRequests> requests) {
  return launch(std::move(tool), std::move(args), std::move(output), {}, std::move(requests));
}

QCoro::Task<PrivilegedRunResult> PkexecRunner::launch(QString tool, QStringList args,
                                                      PrivilegedOutput output,
                                                      std::shared_ptr<Cancellation> cancel,
                                                      std::shared_ptr<HelperRequests> requests) {
  QStringList command = QStringList{tool} + args;
  const bool elevated = forceElevation_ || !runsAsRoot();
  if (elevated) {
    if (!QFileInfo(elevationProgram_).isExecutable()) {
      throw authorizationFailed(
          127,
          QStringLiteral(": ") +
              QCoreApplication::translate(
                  "PkexecRunner", "%1 was not found. Install polkit (pkexec) to work on drives.")
                  .arg(elevationProgram_));
    }
    command.prepend(elevationProgram_);
  }

  LaunchRequest request;
  request.command = command;
  request.elevated = elevated;
  request.maxLineBytes = maxLineLength;
  request.cancel = cancel;
  request.requests = requests;
  request.onStarted = output.started;
  // Named first: g++ 12 mishandles temporaries made inside a co_await
  // expression.
  OnWorkerThread<LaunchOutcome> launched([request, output]() mutable {
    const HelperFrames frames(output);
    request.onFrames = [&frames](const std::vector<contract::FrameReader::Frame>& read) {
      frames.deliver(read);
    };
    return launchAndRead(request);
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
  if (!outcome.errorOutput.isEmpty()) deliverAll(outcome.errorOutput, output.lines);
  co_return result;
}

}  // namespace tessaro
