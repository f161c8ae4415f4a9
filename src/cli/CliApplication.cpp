// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliApplication.h"

#include <QJsonDocument>

#include "cli/CliFailureStatus.h"
#include "cli/CliHelpText.h"
#include "cli/DeviceArgument.h"
#include "cli/DriveJson.h"
#include "cli/InfoFactsJson.h"
#include "cli/InterruptWatcher.h"
#include "cli/ProbeResultJson.h"
#include "cli/TerminalConfirmation.h"
#include "drives/ByteCount.h"
#include "drives/FormatRequestRules.h"
#include "jobs/CheckJob.h"
#include "jobs/FormatJob.h"
#include "jobs/InfoJob.h"
#include "jobs/ProbeJob.h"
#include "jobs/RefreshJob.h"
#include "jobs/ReportTexts.h"

namespace tessaro {

CliApplication::CliApplication(DiskManager& manager, CliOutput& output, QObject* parent)
    : QObject(parent), manager_(manager), output_(output) {}

QCoro::Task<int> CliApplication::run(CliRequest request) {
  switch (request.command) {
    case CliCommand::Help:
      output_.text(CliHelpText::text());
      co_return cliSuccess;
    case CliCommand::Version:
      output_.text(CliHelpText::version());
      co_return cliSuccess;
    case CliCommand::List:
      co_return co_await list(request.json);
    case CliCommand::Info:
    case CliCommand::Check:
    case CliCommand::Format:
    case CliCommand::Probe:
      break;
  }
  const std::optional<Drive> drive = co_await resolveDrive(request.device);
  if (!drive) co_return cliRefused;
  if (request.command == CliCommand::Info) co_return co_await info(*drive, request.json);
  if (request.command == CliCommand::Check) co_return co_await check(*drive);
  if (request.command == CliCommand::Probe) co_return co_await probe(*drive, request);
  co_return co_await format(*drive, request);
}

QCoro::Task<int> CliApplication::list(bool json) {
  // As at the window's start: what is missing is named, success is silent.
  RefreshJob job(manager_, RefreshJob::Occasion::startUp);
  TerminalReport report(output_, json ? TerminalReport::Mode::quiet : TerminalReport::Mode::lines);
  const int status = co_await runJob(job, report);
  if (status != cliSuccess) co_return status;

  const QList<Drive>& drives = manager_.drives();
  if (json) {
    output_.text(QString::fromUtf8(DriveJson::array(drives)));
    co_return cliSuccess;
  }
  for (const Drive& drive : drives) {
    QString line = drive.devicePath + QLatin1Char('\t') + formatByteCount(drive.size);
    if (!drive.model.isEmpty()) line += QLatin1Char('\t') + drive.model;
    output_.line(line);
  }
  output_.line(reportText::drivesFound(drives.size()));
  co_return cliSuccess;
}

QCoro::Task<int> CliApplication::info(Drive drive, bool json) {
  InfoJob job(manager_.tools(), manager_.runner(), drive);
  TerminalReport report(output_, json ? TerminalReport::Mode::quiet : TerminalReport::Mode::lines);
  const int status = co_await runJob(job, report);
  if (status == cliSuccess && json) {
    const QJsonObject facts = InfoFactsJson::fromFacts(job.facts(), drive.bsdName);
    output_.text(QString::fromUtf8(QJsonDocument(facts).toJson(QJsonDocument::Indented)));
  }
  co_return status;
}

QCoro::Task<int> CliApplication::check(Drive drive) {
  CheckJob job(manager_.tools(), manager_.runner(), drive);
  TerminalReport report(output_);
  co_return co_await runJob(job, report);
}

QCoro::Task<int> CliApplication::format(Drive drive, CliRequest request) {
  const FormatRequest formatRequest{drive, deriveVolumeName(request.label), request.cluster.bytes(),
                                    request.partitionBytes};
  // A request that will be refused erases nothing, so there is nothing to
  // confirm: the job says why it is refused.
  const bool refused = manager_.tools().validateFormat(formatRequest).has_value();
  if (!refused) {
    if (const auto status = refuseUnconfirmed(drive, request.assumeYes)) co_return *status;
  }
  FormatJob job(manager_.tools(), manager_.runner(), formatRequest);
  TerminalReport report(output_);
  const int status = co_await runJob(job, report);
  co_return refused ? cliRefused : status;
}

QCoro::Task<int> CliApplication::probe(Drive drive, CliRequest request) {
  // Where there is no capacity test nothing is erased; the job says so.
  if (manager_.tools().probeCommand(drive.bsdName)) {
    if (const auto status = refuseUnconfirmed(drive, request.assumeYes)) co_return *status;
  }
  ProbeJob job(manager_.tools(), manager_.runner(), drive);
  TerminalReport report(output_,
                        request.json ? TerminalReport::Mode::quiet : TerminalReport::Mode::lines);
  const int status = co_await runJob(job, report);
  const std::optional<ProbeResult>& result = job.result();
  if (!result) co_return status;
  if (request.json) {
    const QJsonObject facts = ProbeResultJson::object(*result, drive);
    output_.text(QString::fromUtf8(QJsonDocument(facts).toJson(QJsonDocument::Indented)));
  } else {
    // The drive holds test data now: the format that makes it usable, as big
    // as it really holds, and only a size that format accepts.
    FormatRequest request{drive, deriveVolumeName({}), std::nullopt, std::nullopt};
    if (!result->genuine())
      request.partitionBytes = partitionBytesWithin(qint64(result->usableBytes));
    if (const auto refusal = manager_.tools().validateFormat(request)) {
      output_.line(
          tr("The part that holds data is too small to format as FAT32: %1").arg(*refusal));
    } else if (request.partitionBytes) {
      output_.line(tr("To use it, format only the part that holds data: tessaro-cli format %1 "
                      "--size %2")
                       .arg(drive.bsdName)
                       .arg(*request.partitionBytes));
    } else {
      output_.line(tr("To use it, format it: tessaro-cli format %1").arg(drive.bsdName));
    }
  }
  co_return status;
}

std::optional<int> CliApplication::refuseUnconfirmed(const Drive& drive, bool assumeYes) {
  if (assumeYes) return std::nullopt;
  switch (TerminalConfirmation::ask(drive)) {
    case ConfirmationAnswer::Confirmed:
      return std::nullopt;
    case ConfirmationAnswer::Declined:
      output_.errorLine(tr("Not confirmed: nothing on %1 was erased.").arg(drive.devicePath));
      return cliRefused;
    case ConfirmationAnswer::NoTerminal:
      output_.errorLine(tr("tessaro-cli: no terminal to confirm the erase of %1 on; give --yes "
                           "to erase it without asking.")
                            .arg(drive.devicePath));
      return cliRefused;
  }
  return cliRefused;
}

QCoro::Task<int> CliApplication::runJob(Job& job, TerminalReport& report) {
  InterruptWatcher interrupts;
  connect(&interrupts, &InterruptWatcher::interrupted, this, [this, &job](int count) {
    job.cancel();
    if (count == 1) output_.errorLine(tr("Cancelling: waiting for the tools to stop..."));
  });
  const bool done = co_await job.run(report);
  if (done) co_return cliSuccess;
  if (!job.failure()) co_return cliToolFailed;
  co_return CliFailureStatus::of(*job.failure(), job.cancellation()->isCancelled());
}

QCoro::Task<std::optional<Drive>> CliApplication::resolveDrive(QString argument) {
  const std::optional<QString> name = DeviceArgument::kernelName(argument);
  if (!name) {
    output_.errorLine(
        tr("tessaro-cli: '%1' is not a drive name: give it as sdb or /dev/sdb").arg(argument));
    co_return std::nullopt;
  }
  if (DeviceArgument::isLoopDevice(*name)) {
    const std::optional<Drive> loop = DeviceArgument::attachedLoopDrive(*name);
    if (!loop) {
      output_.errorLine(tr("tessaro-cli: /dev/%1 has no disk image attached").arg(*name));
    }
    co_return loop;
  }
  try {
    co_await manager_.refresh();
  } catch (const std::exception& error) {
    output_.errorLine(QStringLiteral("tessaro-cli: ") +
                      reportText::refreshFailed(describeError(error)));
    co_return std::nullopt;
  }
  for (const Drive& drive : manager_.drives()) {
    if (drive.bsdName == *name) co_return drive;
  }
  output_.errorLine(tr("tessaro-cli: /dev/%1 is not an external or removable drive that Tessaro "
                       "may use; tessaro-cli list shows those")
                        .arg(*name));
  co_return std::nullopt;
}

}  // namespace tessaro
