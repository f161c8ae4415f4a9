// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/FormatJob.h"

#include "drives/UserMount.h"
#include "exec/HelperContract.h"
#include "jobs/HelperOutput.h"
#include "jobs/ReportTexts.h"

namespace tessaro {

FormatJob::FormatJob(const DiskTools& tools, ProcessRunner& runner, FormatRequest request)
    : DriveJob(tools, runner), request_(std::move(request)) {}

QString FormatJob::title() const { return reportText::formatStarting(request_.drive.devicePath); }

QCoro::Task<> FormatJob::perform(Report& report) {
  const Drive& drive = request_.drive;
  if (const auto refusal = tools_.validateFormat(request_)) fail(*refusal);

  const PrivilegedCommand command = tools_.formatCommand(request_);
  // The helper's lines are shown as they come; its writing event is where
  // the drive starts to change.
  HelperOutput output([&report](const QStringList& lines) { report.lines(lines); },
                      [this](const HelperEvent& event) {
                        if (event.kind() == HelperEvent::Kind::writing) begunWriting_ = true;
                      });
  const PrivilegedRunResult ran =
      co_await runner_.run(command.tool, command.args, output.reader(), cancellation());
  // The helper's own cancel line says what it stopped and what state remains.
  stopIfCancelled(ran, output.saidCancelled(), cancelledLine());
  if (ran.exitStatus.value_or(0) != 0)
    fail(reportText::formatToolFailed(request_.volumeName, drive.devicePath, *ran.exitStatus),
         *ran.exitStatus);

  if (tools_.mountsAsDesktopUser()) {
    const UserMountOutcome mounted =
        co_await mountAsDesktopUser(runner_, tools_.formattedPartitionPath(drive));
    if (!mounted.attempted) report.warning(reportText::notMountedAfterFormat());
    if (!mounted.lines.isEmpty()) report.lines(mounted.lines);
    for (const QString& note : mounted.notes) report.warning(note);
  }
  report.succeeded(reportText::formatComplete(request_.volumeName, drive.devicePath));
}

QString FormatJob::cancelledLine() const {
  const QString& devicePath = request_.drive.devicePath;
  return begunWriting_ ? reportText::formatCancelledPartWay(devicePath)
                       : reportText::formatCancelledBeforeWriting(devicePath);
}

QString FormatJob::failureLine(const QString& description) const {
  return reportText::formatFailed(description);
}

}  // namespace tessaro
