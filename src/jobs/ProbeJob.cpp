// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/ProbeJob.h"

#include "drives/ProbeProgress.h"
#include "exec/HelperContract.h"
#include "exec/HelperEvent.h"
#include "jobs/ReportTexts.h"

namespace tessaro {

ProbeJob::ProbeJob(const DiskTools& tools, ProcessRunner& runner, Drive drive)
    : DriveJob(tools, runner), drive_(std::move(drive)) {}

QString ProbeJob::title() const { return reportText::probeStarting(drive_.devicePath); }

QCoro::Task<> ProbeJob::perform(Report& report) {
  const std::optional<PrivilegedCommand> command = tools_.probeCommand(drive_.bsdName);
  if (!command) fail(reportText::probeUnavailable());

  // Called on the runner's reading thread; the figures are read only after
  // the run has returned. Events move the progress bar and carry the
  // verdict; they never reach the log. The rest is shown as it comes.
  std::optional<ProbeResult> said;
  int results = 0;
  QString lastLine;
  const LineHandler onLines = [this, &report, &said, &results,
                               &lastLine](const QStringList& lines) {
    QStringList shown;
    for (const QString& line : lines) {
      if (!HelperEvent::isEventLine(line)) {
        shown << line;
        lastLine = line;
        continue;
      }
      const std::optional<HelperEvent> event = HelperEvent::fromLine(line);
      if (!event) continue;
      if (const auto progress = ProbeProgress::fromEvent(*event)) {
        begunWriting_ = true;
        report.progress(*progress);
      } else if (event->kind() == HelperEvent::Kind::result) {
        ++results;
        if (event->fields().value(QStringLiteral("verb")).toString() ==
            QLatin1StringView(HelperContract::probeVerb)) {
          said = ProbeResult::fromJson(event->fields());
        }
      }
    }
    if (!shown.isEmpty()) report.lines(shown);
  };
  const PrivilegedRunResult ran =
      co_await runner_.run(command->tool, command->args, onLines, cancellation());
  stopIfCancelled(ran, lastLine, reportText::probeCancelledPartWay(drive_.devicePath));

  const int status = ran.exitStatus.value_or(0);
  if (status == HelperContract::driveStopped) {
    stopped_ = true;
    fail(reportText::probeDriveStopped(drive_.devicePath), status);
  }
  if (status != HelperContract::success && status != HelperContract::counterfeit)
    fail(reportText::probeToolFailed(drive_.devicePath, status), status);
  // One verdict, and the status has to tell the same story.
  if (results != 1 || !said || said->genuine() != (status == HelperContract::success))
    fail(reportText::probeUnreadable(drive_.devicePath));
  result_ = said;
  if (!said->genuine()) fail(reportText::probeVerdict(*said), HelperContract::counterfeit);
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
