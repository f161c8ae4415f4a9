// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/FormatJob.h"

#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "drives/ProbeProgress.h"
#include "drives/UserMount.h"
#include "jobs/HelperOutput.h"
#include "jobs/ReportTexts.h"

namespace tessaro {

FormatJob::FormatJob(const DiskTools& tools, ProcessRunner& runner, FormatRequest request)
    : DriveJob(tools, runner), request_(std::move(request)) {}

QString FormatJob::title() const { return reportText::formatStarting(request_.drive.devicePath); }

QCoro::Task<> FormatJob::perform(Report& report) {
  const Drive& drive = request_.drive;
  if (const auto refusal = tools_.validateFormat(request_))
    fail(*refusal, JobFailure::Kind::refused);

  const PrivilegedCommand command = tools_.formatCommand(request_);
  // The helper's lines are shown as they come; its writing event is where
  // the drive starts to change. The read-back is read only after the run
  // has returned.
  std::optional<contract::FormatVerdict> told;
  int results = 0;
  const auto onEvent = [this, &report, &told, &results](const contract::HelperEvent& event) {
    if (event.get<contract::WritingEvent>()) {
      begunWriting_ = true;
    } else if (const auto progress = ProbeProgress::fromEvent(event)) {
      report.stepProgress(progress->fraction);
    } else if (event.isResult()) {
      ++results;
      // Another verb's result is none.
      const auto* verdict = event.get<contract::FormatVerdict>();
      told = verdict ? std::optional(*verdict) : std::nullopt;
    }
  };
  HelperOutput output([&report](const QStringList& lines) { report.lines(lines); }, onEvent);
  const PrivilegedRunResult ran =
      co_await runner_.run(command.tool, command.args, withStart(output.reader()), cancellation());
  // The helper's own cancel line says what it stopped and what state remains.
  stopIfCancelled(ran, output.cancelledLine(), cancelledLine());
  if (ran.exitStatus.value_or(0) != 0) {
    failRun(reportText::formatToolFailed(request_.volumeName, drive.devicePath, *ran.exitStatus),
            ran, output.failure());
  }
  if (tools_.verifiesFormat()) {
    // One read-back, and it has to say the drive holds what was asked.
    if (results != 1 || !told || !told->matches) {
      fail(reportText::formatUnverified(request_.volumeName, drive.devicePath),
           JobFailure::Kind::verificationFailed);
    }
    verification_ = told;
    report.verified(*told);
  }

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
