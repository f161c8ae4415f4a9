// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/CheckJob.h"

#include "drives/CheckLine.h"
#include "drives/DevicePaths.h"
#include "drives/PartitionLookup.h"
#include "drives/ProbeProgress.h"
#include "drives/UserMount.h"
#include "exec/Error.h"
#include "jobs/HelperOutput.h"
#include "jobs/ReportTexts.h"

namespace tessaro {

CheckJob::CheckJob(const DiskTools& tools, ProcessRunner& runner, Drive drive, CheckMode mode,
                   std::optional<QString> target)
    : DriveJob(tools, runner), drive_(std::move(drive)), mode_(mode), target_(std::move(target)) {}

QString CheckJob::title() const { return reportText::checkStarting(drive_.devicePath); }

QCoro::Task<> CheckJob::perform(Report& report) {
  QString target = target_.value_or(drive_.bsdName);
  if (!target_) {
    try {
      target = co_await findPartition(tools_, runner_, drive_.bsdName, cancellation());
    } catch (const std::exception& error) {
      if (isCancellation(error)) throw;
      // Whatever the lookup's trouble, the whole disk is checked instead.
      target = drive_.bsdName;
    }
  }
  // A disk that holds its file system without a partition table is its own target.
  const QString targetPath = devicePathOf(target);
  const PrivilegedCommand command = tools_.checkCommand(target, mode_);
  // Shown with the tools' first lines, or once the run has ended: refused
  // rights end in the failure line alone. Checking the whole disk is a
  // fallback, told as a warning.
  const bool wholeDisk = target == drive_.bsdName;
  const QString usingLine = wholeDisk ? reportText::checkUsingWholeDisk(targetPath)
                                      : reportText::checkUsingPartition(targetPath, mode_);
  bool headed = false;
  const auto head = [&] {
    if (std::exchange(headed, true)) return;
    if (wholeDisk)
      report.warning(usingLine);
    else
      report.ownLines({usingLine});
    report.ownLines({reportText::checkCommandLine(command)});
  };

  // The tools' lines reach the report as they come, on the runner's reading
  // thread; headed is touched here only after the run has returned.
  HelperOutput output(
      [&report, &head](const QStringList& lines) {
        head();
        report.lines(lines);
      },
      [this, &report](const contract::HelperEvent& event) {
        if (event.get<contract::WritingEvent>()) begunWriting_ = true;
        if (const auto progress = ProbeProgress::fromEvent(event))
          report.stepProgress(progress->fraction);
      });
  const PrivilegedRunResult ran =
      co_await runner_.run(command.tool, command.args, withStart(output.reader()), cancellation());
  head();
  stopIfCancelled(ran, output.cancelledLine(), reportText::checkCancelledPartWay(targetPath));

  const CheckFinding finding = checkFinding(ran.exitStatus, tools_.checkStatusTellsFinding());
  if (finding == CheckFinding::failed) {
    report.lines({QString()});
    failRun(reportText::checkToolFailed(targetPath, *ran.exitStatus), ran, output.failure());
  }
  if (finding == CheckFinding::errorsLeft) {
    report.lines({QString()});
    fail(mode_ == CheckMode::readOnly ? reportText::checkErrorsFound(targetPath)
                                      : reportText::checkErrorsLeft(targetPath),
         JobFailure::Kind::errorsLeft);
  }
  // Also after a check that fixed errors, the desktop user mounts it again.
  if (tools_.mountsAsDesktopUser()) {
    const UserMountOutcome mounted = co_await mountAsDesktopUser(runner_, targetPath);
    if (!mounted.lines.isEmpty()) report.lines(mounted.lines);
    for (const QString& note : mounted.notes) report.warning(note);
    if (!mounted.attempted) report.warning(reportText::notMountedAfterCheck());
  }
  // An empty line, what the check found, and the outcome.
  report.lines({QString()});
  finding_ = finding;
  if (finding != CheckFinding::untold) report.ownLines({reportText::checkFound(finding)});
  report.succeeded(reportText::checkComplete());
}

QString CheckJob::cancelledLine() const { return reportText::checkCancelled(drive_.devicePath); }

QString CheckJob::failureLine(const QString& description) const {
  return reportText::checkOrInfoFailed(description);
}

}  // namespace tessaro
