// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/ProbeJob.h"

#include "drives/ProbeProgress.h"
#include "exec/HelperContract.h"
#include "jobs/ReportTexts.h"

namespace tessaro {

namespace {

bool isVerdict(const QString& line) {
  return line.startsWith(QLatin1String("Genuine: ")) ||
         line.startsWith(QLatin1String("Counterfeit: "));
}

}  // namespace

ProbeJob::ProbeJob(const DiskTools& tools, ProcessRunner& runner, Drive drive)
    : DriveJob(tools, runner), drive_(std::move(drive)) {}

QString ProbeJob::title() const { return reportText::probeStarting(drive_.devicePath); }

QCoro::Task<> ProbeJob::perform(Report& report) {
  const std::optional<PrivilegedCommand> command = tools_.probeCommand(drive_.bsdName);
  if (!command) fail(reportText::probeUnavailable());

  // Called on the runner's reading thread; seen and lastLine are read only
  // after the run has returned. Progress lines move the progress bar, the
  // verdict ends the account; the rest is shown as it comes.
  QStringList seen;
  QString lastLine;
  const LineHandler onLines = [this, &report, &seen, &lastLine](const QStringList& lines) {
    QStringList shown;
    for (const QString& line : lines) {
      if (const auto progress = ProbeProgress::fromLine(line)) {
        begunWriting_ = true;
        report.progress(*progress);
        continue;
      }
      seen << line;
      if (line.startsWith(QLatin1String("Testing the capacity of "))) begunWriting_ = true;
      if (!isVerdict(line)) shown << line;
    }
    lastLine = lines.last();
    if (!shown.isEmpty()) report.lines(shown);
  };
  const PrivilegedRunResult ran =
      co_await runner_.run(command->tool, command->args, onLines, cancellation());
  stopIfCancelled(ran, lastLine, reportText::probeCancelledPartWay(drive_.devicePath));

  const int status = ran.exitStatus.value_or(0);
  if (status != HelperContract::success && status != HelperContract::counterfeit)
    fail(reportText::probeToolFailed(drive_.devicePath, status), status);
  // The status and the lines have to tell the same story.
  const std::optional<ProbeResult> result = ProbeResult::fromLines(seen);
  if (!result || result->genuine() != (status == HelperContract::success))
    fail(reportText::probeUnreadable(drive_.devicePath));
  result_ = result;
  if (!result->genuine()) fail(reportText::probeVerdict(*result), HelperContract::counterfeit);
  report.succeeded(reportText::probeVerdict(*result));
}

QString ProbeJob::cancelledLine() const {
  return begunWriting_ ? reportText::probeCancelledPartWay(drive_.devicePath)
                       : reportText::probeCancelledBeforeWriting(drive_.devicePath);
}

// A counterfeit verdict is the test's finding, not an error: it stands alone.
QString ProbeJob::failureLine(const QString& description) const {
  if (result_ && !result_->genuine()) return description;
  return reportText::formatFailed(description);
}

}  // namespace tessaro
