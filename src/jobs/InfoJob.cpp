// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/InfoJob.h"

#include <QCoreApplication>

#include "contract/HelperContract.h"
#include "drives/PartitionLookup.h"
#include "exec/Error.h"
#include "jobs/HelperOutput.h"
#include "jobs/InfoReport.h"
#include "jobs/ReportTexts.h"

namespace tessaro {

InfoJob::InfoJob(const DiskTools& tools, ProcessRunner& runner, Drive drive,
                 std::optional<QString> target)
    : DriveJob(tools, runner), drive_(std::move(drive)), target_(std::move(target)) {}

QString InfoJob::title() const { return reportText::infoStarting(drive_.devicePath); }

QCoro::Task<> InfoJob::perform(Report& report) {
  std::optional<QString> partition = target_;
  if (!partition) {
    try {
      partition = co_await findPartition(tools_, runner_, drive_.bsdName, cancellation());
    } catch (const std::exception& error) {
      if (isCancellation(error)) throw;
      // Reported without its partition section.
    }
  }
  const PrivilegedCommand command = tools_.infoReportCommand(drive_.bsdName, partition);

  // Filled on the runner's reading thread, read only after the run returned:
  // the lines for people (the facts themselves where the platform has no
  // helper that tells events) and the helper's result events.
  QString output;
  std::optional<contract::HelperEvent> result;
  int results = 0;
  facts_.reset();
  HelperOutput helper(
      [&output](const QStringList& lines) {
        for (const QString& line : lines) output += line + QLatin1Char('\n');
      },
      [&result, &results](const contract::HelperEvent& event) {
        if (!event.isResult()) return;
        ++results;
        result = event;
      });
  const PrivilegedRunResult ran =
      co_await runner_.run(command.tool, command.args, withStart(helper.reader()), cancellation());
  // None of the helper's lines were shown, its own cancel line neither.
  stopIfCancelled(ran, QString(), cancelledLine());
  if (ran.exitStatus.value_or(0) != 0) {
    // The helper refused the drive or could not read it: its own words say
    // why, except for a drive that has gone, which the failure says.
    const QString said = output.trimmed();
    if (!said.isEmpty() && ran.exitStatus != HelperContract::noSuchDevice)
      report.lines(said.split(QLatin1Char('\n')));
    failRun(reportText::infoToolFailed(drive_.devicePath, *ran.exitStatus), ran, helper.failure());
  }
  // Facts told twice are no answer: which of them would be the drive's?
  if (results > 1) {
    fail(reportText::infoUnreadable(
        drive_.devicePath,
        QCoreApplication::translate("DriveFactsJson", "the drive's facts could not be read: %1")
            .arg(QStringLiteral("the helper told them %1 times").arg(results))));
  }
  std::optional<DriveFacts> read;
  try {
    read = tools_.parseDriveFacts(output, result);
  } catch (const Error& error) {
    fail(reportText::infoUnreadable(drive_.devicePath, error.description()));
  }
  facts_ = DriveFacts::ofDisk(read, drive_.bsdName.toStdString());
  // An empty report still shows as one empty line.
  report.ownLines(read ? infoReportLines(*facts_) : QStringList{QString()});
}

QString InfoJob::cancelledLine() const { return reportText::infoCancelled(drive_.devicePath); }

QString InfoJob::failureLine(const QString& description) const {
  return reportText::checkOrInfoFailed(description);
}

}  // namespace tessaro
