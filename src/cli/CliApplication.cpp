// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliApplication.h"

#include <QFileInfo>
#include <QJsonDocument>

#include "cli/CliBatch.h"
#include "cli/CliFailureStatus.h"
#include "cli/CliHelpText.h"
#include "cli/DeviceArgument.h"
#include "cli/DeviceTable.h"
#include "cli/InfoFactsJson.h"
#include "cli/InterruptWatcher.h"
#include "cli/ProbeResultJson.h"
#include "cli/TerminalConfirmation.h"
#include "drives/BlockDeviceJson.h"
#include "drives/ByteCount.h"
#include "drives/NotOfferedPhrase.h"
#include "drives/TranslatedWording.h"
#include "drives/VolumeName.h"
#include "jobs/CheckJob.h"
#include "jobs/FormatJob.h"
#include "jobs/InfoJob.h"
#include "jobs/ProbeJob.h"
#include "jobs/RefreshJob.h"
#include "jobs/ReportTexts.h"
#include "jobs/WorkflowPolicy.h"

namespace tessaro {

namespace {

// Where the platform tells nothing beyond the drives it offers, those.
std::vector<BlockDevice> devicesOf(const DiskManager& manager, bool all) {
  std::vector<BlockDevice> devices;
  if (manager.blockDevices().empty()) {
    for (const Drive& drive : manager.drives()) {
      BlockDevice device;
      device.name = drive.bsdName.toStdString();
      device.path = drive.devicePath.toStdString();
      device.type = "disk";
      device.model = drive.model.toStdString();
      device.size = drive.size;
      devices.push_back(std::move(device));
    }
    return devices;
  }
  for (const BlockDevice& device : manager.blockDevices())
    if (all || device.offered()) devices.push_back(device);
  return devices;
}

}  // namespace

CliApplication::CliApplication(DiskManager& manager, CliOutput& output, QObject* parent)
    : QObject(parent), manager_(manager), output_(output) {}

QByteArray CliApplication::errorDocument(const QString& kind, const QString& message,
                                         const QString& reason, bool written,
                                         std::optional<int> status) {
  const QJsonObject error{
      {QStringLiteral("kind"), kind},
      {QStringLiteral("message"), message},
      {QStringLiteral("reason"), reason.isEmpty() ? QJsonValue() : QJsonValue(reason)},
      {QStringLiteral("written"), written},
      {QStringLiteral("status"), status ? QJsonValue(*status) : QJsonValue()},
  };
  return QJsonDocument(QJsonObject{{QStringLiteral("error"), error}})
      .toJson(QJsonDocument::Indented);
}

QCoro::Task<int> CliApplication::run(CliRequest request) {
  const int status = co_await dispatch(request);
  if (request.json && failure_ && !documentWritten_) {
    output_.document(QString::fromUtf8(errorDocument(
        failure_->kind, failure_->message, failure_->reason, failure_->written, failure_->status)));
  }
  co_return status;
}

QCoro::Task<int> CliApplication::dispatch(CliRequest request) {
  switch (request.command) {
    case CliCommand::Help:
      output_.text(CliHelpText::text());
      co_return cliSuccess;
    case CliCommand::Version:
      output_.text(CliHelpText::version());
      co_return cliSuccess;
    case CliCommand::List:
      co_return co_await list(request);
    case CliCommand::Info:
    case CliCommand::Check:
    case CliCommand::Format:
    case CliCommand::Probe:
      break;
  }
  // Info only reads; everything else holds the drive to write to it (a
  // read-only check too, as the helper does).
  const bool writes = request.command != CliCommand::Info;
  if (request.devices.size() > 1) co_return co_await batch(request);
  const std::optional<Drive> drive = co_await resolveDrive(request.devices.value(0), writes);
  if (!drive) co_return cliRefused;
  if (request.command == CliCommand::Info) co_return co_await info(*drive, request.json);
  if (request.command == CliCommand::Check) co_return co_await check(*drive, request.readOnly);
  if (request.command == CliCommand::Probe) co_return co_await probe(*drive, request);
  co_return co_await format(*drive, request);
}

QCoro::Task<int> CliApplication::batch(CliRequest request) {
  // Every drive is resolved and checked before any is touched: one refused
  // drive refuses the batch, and each refusal is said.
  QList<Drive> drives;
  bool refused = false;
  for (const QString& device : request.devices) {
    if (const std::optional<Drive> drive = co_await resolveDrive(device, true))
      drives << *drive;
    else
      refused = true;
  }
  if (refused) co_return cliRefused;
  CliBatch batch(manager_, output_);
  if (const auto same = CliBatch::sameDisk(drives)) co_return fail(cliRefused, *same);
  const QStringList refusals = batch.refusals(drives, request);
  for (const QString& refusal : refusals) fail(cliRefused, refusal);
  if (!refusals.isEmpty()) co_return cliRefused;
  if (request.assumeYes) {
    batch.notices(drives, request);
  } else {
    switch (batch.confirm(drives, request)) {
      case ConfirmationAnswer::Confirmed:
        break;
      case ConfirmationAnswer::Declined:
        co_return fail(cliRefused, tr("Not confirmed: nothing on the %n drives was erased.",
                                      nullptr, int(drives.size())));
      case ConfirmationAnswer::NoTerminal:
        co_return fail(cliRefused, tr("no terminal to confirm the erase of the %n drives on; "
                                      "give --yes to erase them without asking.",
                                      nullptr, int(drives.size())));
    }
  }
  documentWritten_ = request.json;
  co_return co_await batch.run(drives, request);
}

QCoro::Task<int> CliApplication::list(CliRequest request) {
  // As at the window's start: what is missing is named, success is silent.
  RefreshJob job(manager_, RefreshJob::Occasion::startUp);
  TerminalReport report(output_, TerminalReport::Mode::quiet);
  const int status = co_await runJob(job, report);
  if (status != cliSuccess) co_return status;

  const std::vector<BlockDevice> devices = devicesOf(manager_, request.all);
  if (request.json) {
    output_.document(QString::fromStdString(BlockDeviceJson::document(devices, TranslatedWording())));
    documentWritten_ = true;
    co_return cliSuccess;
  }
  // What the drives call themselves, as they do.
  output_.toolLines(DeviceTable::lines(
      devices,
      {.reasons = request.all, .header = !request.noHeadings, .aligned = output_.isTerminal()}));
  co_return cliSuccess;
}

QCoro::Task<int> CliApplication::info(Drive drive, bool json) {
  InfoJob job(manager_.tools(), manager_.runner(), drive, manager_.listedPartition(drive.bsdName));
  TerminalReport report(output_, json ? TerminalReport::Mode::quiet : TerminalReport::Mode::lines);
  const int status = co_await runJob(job, report);
  if (status == cliSuccess && json && job.facts()) {
    const contract::Json facts = InfoFactsJson::object(*job.facts(), drive.bsdName.toStdString(),
                                                       manager_.blockDevices(), TranslatedWording());
    output_.document(QString::fromStdString(facts.indented()));
    documentWritten_ = true;
  }
  co_return status;
}

QCoro::Task<int> CliApplication::check(Drive drive, bool readOnly) {
  CheckJob job(manager_.tools(), manager_.runner(), drive,
               readOnly ? CheckMode::readOnly : CheckMode::repair,
               manager_.listedPartition(drive.bsdName));
  TerminalReport report(output_);
  const int status = co_await runJob(job, report);
  // As fsck counts: a check that corrected errors says so by its status.
  if (status == cliSuccess && job.finding() == CheckFinding::errorsCorrected)
    co_return cliErrorsCorrected;
  co_return status;
}

QCoro::Task<int> CliApplication::format(Drive drive, CliRequest request) {
  const FormatRequest formatRequest{drive, deriveVolumeName(request.label), request.cluster.bytes(),
                                    request.partitionBytes};
  // A request that will be refused is said before anything else, and
  // nothing is asked.
  if (const auto refusal = manager_.tools().validateFormat(formatRequest))
    co_return fail(cliRefused, *refusal);
  if (request.assumeYes) {
    // Said before the first write, as the question would have said it.
    const QString notice = WorkflowPolicy::formatNotice(formatRequest);
    if (!notice.isEmpty()) output_.errorLine(QStringLiteral("tessaro-cli: ") + notice);
  } else if (const auto status =
                 refuseUnconfirmed(TerminalConfirmation::formatPrompt(formatRequest), drive)) {
    co_return *status;
  }
  FormatJob job(manager_.tools(), manager_.runner(), formatRequest);
  TerminalReport report(output_);
  co_return co_await runJob(job, report);
}

QCoro::Task<int> CliApplication::probe(Drive drive, CliRequest request) {
  if (!request.assumeYes && WorkflowPolicy(manager_.tools()).asksBeforeCapacityTest(drive)) {
    if (const auto status = refuseUnconfirmed(TerminalConfirmation::probePrompt(drive), drive))
      co_return *status;
  }
  ProbeJob job(manager_.tools(), manager_.runner(), drive, request.full);
  TerminalReport report(output_,
                        request.json ? TerminalReport::Mode::quiet : TerminalReport::Mode::lines);
  const int status = co_await runJob(job, report);
  const std::optional<ProbeResult>& result = job.result();
  if (!result) co_return status;
  if (request.json) {
    const QJsonObject facts = ProbeResultJson::object(*result, drive);
    output_.document(QString::fromUtf8(QJsonDocument(facts).toJson(QJsonDocument::Indented)));
    documentWritten_ = true;
  } else {
    // The drive holds test data now: the command that makes it usable.
    const WorkflowPolicy::CapacityFormat offer =
        WorkflowPolicy(manager_.tools()).formatAfterTest(drive, *result, {}, std::nullopt);
    if (offer.unusable) {
      output_.line(tr("No format is offered: the drive failed the test."));
    } else if (offer.refusal) {
      output_.line(
          tr("The part that holds data is too small to format as FAT32: %1").arg(*offer.refusal));
    } else if (offer.withinHeldData) {
      output_.line(tr("To use it, format only the part that holds data: tessaro-cli format %1 "
                      "--size %2")
                       .arg(drive.bsdName)
                       .arg(*offer.request.partitionBytes));
    } else {
      output_.line(tr("To use it, format it: tessaro-cli format %1").arg(drive.bsdName));
    }
  }
  co_return status;
}

std::optional<int> CliApplication::refuseUnconfirmed(const QString& prompt, const Drive& drive) {
  switch (TerminalConfirmation::ask(prompt, drive)) {
    case ConfirmationAnswer::Confirmed:
      return std::nullopt;
    case ConfirmationAnswer::Declined:
      return fail(cliRefused, tr("Not confirmed: nothing on %1 was erased.").arg(drive.devicePath));
    case ConfirmationAnswer::NoTerminal:
      return fail(cliRefused, tr("no terminal to confirm the erase of %1 on; give --yes to erase "
                                 "it without asking.")
                                  .arg(drive.devicePath));
  }
  return cliRefused;
}

int CliApplication::fail(int status, const QString& message, const QString& kind) {
  // One line: what failed, in the user's words. The tool's own words are on
  // standard output already, and in the JSON document.
  output_.errorLine(QStringLiteral("tessaro-cli: ") + message);
  failure_ = Failure{kind.isEmpty() ? CliFailureStatus::kind(status) : kind, message};
  return status;
}

QCoro::Task<int> CliApplication::runJob(Job& job, TerminalReport& report) {
  InterruptWatcher interrupts;
  connect(&interrupts, &InterruptWatcher::interrupted, this, [this, &job](int count) {
    job.cancel();
    if (count == 1)
      output_.errorLine(QStringLiteral("tessaro-cli: ") +
                        tr("Cancelling: waiting for the tools to stop..."));
  });
  // Nobody reads what the job says any more: it stops where it safely can.
  output_.onFailure([&job] { job.cancel(); });
  const bool done = co_await job.run(report);
  output_.onFailure({});
  if (done) co_return cliSuccess;
  const std::optional<JobFailure>& failure = job.failure();
  if (!failure) co_return fail(cliToolFailed, tr("Unexpected failure"));
  const bool cancelRequested = job.cancellation()->isCancelled();
  int status = CliFailureStatus::of(*failure, cancelRequested);
  const QString kind = CliFailureStatus::kind(*failure, cancelRequested);
  if (status == cliCancelled) {
    // 128 and the signal that asked for it, as a shell counts a process that
    // the signal ended.
    if (interrupts.firstSignal() > 0) status = cliSignalled + interrupts.firstSignal();
    // The report has said what the cancel left behind.
    failure_ = Failure{kind, failure->description};
  } else {
    fail(status, failure->description, kind);
  }
  // A capacity test's verdict is its own reason: no line of its figures.
  const bool verdict = failure->kind == JobFailure::Kind::counterfeit ||
                       failure->kind == JobFailure::Kind::damaged ||
                       failure->kind == JobFailure::Kind::driveFailed;
  const QString reason = report.lastToolLine();
  if (!verdict && !failure->description.contains(reason)) failure_->reason = reason;
  failure_->written = failure->written;
  failure_->status = failure->exitStatus;
  co_return status;
}

QCoro::Task<std::optional<Drive>> CliApplication::resolveDrive(QString argument, bool writes) {
  const std::optional<QString> name = DeviceArgument::kernelName(argument);
  if (!name) {
    fail(cliRefused, tr("'%1' is not a drive name: give it as sdb or /dev/sdb").arg(argument));
    co_return std::nullopt;
  }
  try {
    co_await manager_.refresh();
  } catch (const std::exception& error) {
    fail(cliToolFailed, reportText::refreshFailed(describeError(error)));
    co_return std::nullopt;
  }
  for (const Drive& drive : manager_.drives()) {
    if (drive.bsdName == *name) co_return drive;
  }
  const QString path = QStringLiteral("/dev/") + *name;
  const BlockDevice* device = nullptr;
  for (const BlockDevice& known : manager_.blockDevices())
    if (known.name == name->toStdString()) device = &known;
  if (DeviceArgument::isLoopDevice(*name)) {
    // Refused here, before a word on standard output, as the helper would
    // refuse it.
    if (writes && device && device->readOnly) {
      fail(cliRefused,
           tr("%1 is not offered: %2")
               .arg(path, notOfferedPhrase(NotOfferedReason(NotOfferedReason::Kind::readOnly))),
           QStringLiteral("not-offered"));
      co_return std::nullopt;
    }
    if (std::optional<Drive> loop = DeviceArgument::attachedLoopDrive(*name)) co_return loop;
    if (device || QFileInfo::exists(QStringLiteral("/sys/class/block/") + *name)) {
      fail(cliRefused, tr("%1 has no disk image attached").arg(path), QStringLiteral("no-medium"));
      co_return std::nullopt;
    }
  }
  if (device && device->reason) {
    fail(cliRefused, tr("%1 is not offered: %2").arg(path, notOfferedPhrase(*device->reason)),
         QStringLiteral("not-offered"));
  } else if (manager_.blockDevices().empty() && !DeviceArgument::isLoopDevice(*name)) {
    fail(cliRefused, tr("%1 is not an external or removable drive that Tessaro may use; "
                        "tessaro-cli list shows those")
                         .arg(path));
  } else {
    fail(cliRefused, tr("%1: no such device").arg(path), QStringLiteral("no-such-device"));
  }
  co_return std::nullopt;
}

}  // namespace tessaro
