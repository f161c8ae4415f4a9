// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/ProbeJob.h"

#include "contract/HelperContract.h"
#include "drives/ProbeProgress.h"
#include "jobs/HelperOutput.h"
#include "jobs/ReportTexts.h"

namespace tessaro {

namespace {

JobFailure::Kind failureOf(ProbeResult::Verdict verdict) {
  switch (verdict) {
    case ProbeResult::Verdict::damaged:
      return JobFailure::Kind::damaged;
    case ProbeResult::Verdict::failed:
      return JobFailure::Kind::driveFailed;
    default:
      return JobFailure::Kind::counterfeit;
  }
}

}  // namespace

ProbeJob::ProbeJob(const DiskTools& tools, ProcessRunner& runner, Drive drive, bool full)
    : DriveJob(tools, runner), drive_(std::move(drive)), full_(full) {}

QString ProbeJob::title() const { return reportText::probeStarting(drive_.devicePath, full_); }

QCoro::Task<> ProbeJob::perform(Report& report) {
  const std::optional<PrivilegedCommand> command = tools_.probeCommand(drive_.bsdName, full_);
  if (!command) fail(reportText::probeUnavailable());

  // Events move the progress bar and carry the verdict, read on the
  // runner's reading thread; the figures are read only after the run has
  // returned. The helper's lines are shown as they come.
  std::optional<ProbeResult> said;
  int results = 0;
  const auto onEvent = [this, &report, &said, &results](const contract::HelperEvent& event) {
    if (event.get<contract::WritingEvent>()) {
      begunWriting_ = true;
    } else if (const auto progress = ProbeProgress::fromEvent(event)) {
      begunWriting_ = true;
      report.progress(*progress);
    } else if (event.isResult()) {
      ++results;
      // Another verb's result is none.
      const auto* told = event.get<contract::ProbeResult>();
      said = told ? std::optional(ProbeResult::fromWire(*told)) : std::nullopt;
    }
  };
  HelperOutput output([&report](const QStringList& lines) { report.lines(lines); }, onEvent);
  const PrivilegedRunResult ran = co_await runner_.run(command->tool, command->args,
                                                       withStart(output.reader()), cancellation());
  stopIfCancelled(ran, output.cancelledLine(),
                  reportText::probeCancelledPartWay(drive_.devicePath));

  const int status = ran.exitStatus.value_or(0);
  if (status == HelperContract::driveStopped) {
    stopped_ = true;
    failRun(reportText::probeDriveStopped(drive_.devicePath), ran, output.failure());
  }
  const bool verdictStatus =
      status == HelperContract::success || status == HelperContract::counterfeit ||
      status == HelperContract::damaged || status == HelperContract::driveFailed;
  if (!verdictStatus)
    failRun(reportText::probeToolFailed(drive_.devicePath, status), ran, output.failure());
  // One verdict, and the status has to tell the same story.
  if (results != 1 || !said || said->exitStatus() != status)
    fail(reportText::probeUnreadable(drive_.devicePath));
  result_ = said;
  // The figures, then what failed after the verdict, then the verdict.
  report.lines(reportText::probeSummary(*said));
  if (!said->tableCleared) report.warning(reportText::probeTableNotCleared(drive_.devicePath));
  if (!said->genuine()) fail(reportText::probeVerdict(*said), failureOf(said->verdict));
  report.succeeded(reportText::probeVerdict(*said));
}

QString ProbeJob::cancelledLine() const {
  return begunWriting_ ? reportText::probeCancelledPartWay(drive_.devicePath)
                       : reportText::probeCancelledBeforeWriting(drive_.devicePath);
}

// A counterfeit verdict is the test's finding, not an error, and a drive that
// stopped answering is told as such: both stand alone.
QString ProbeJob::failureLine(const QString& description) const {
  if ((result_ && !result_->genuine()) || stopped_) return description;
  return reportText::formatFailed(description);
}

}  // namespace tessaro
