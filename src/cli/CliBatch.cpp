// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliBatch.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <memory>
#include <vector>

#include "cli/BatchBoard.h"
#include "cli/BatchConfirmation.h"
#include "cli/BatchDriveReport.h"
#include "cli/CliApplication.h"
#include "cli/CliFailureStatus.h"
#include "cli/DeviceArgument.h"
#include "cli/InterruptWatcher.h"
#include "cli/ProbeResultJson.h"
#include "cli/TextColumns.h"
#include "drives/NumberLocale.h"
#include "drives/VolumeName.h"
#include "jobs/BatchJob.h"
#include "jobs/CheckJob.h"
#include "jobs/FormatJob.h"
#include "jobs/ProbeJob.h"
#include "jobs/WorkflowPolicy.h"

namespace tessaro {

namespace {

QString seconds(qint64 milliseconds) {
  return QStringLiteral("%1 s").arg(
      userNumberLocale().toString(double(milliseconds) / 1000, 'f', 1));
}

QString speed(quint64 bytesPerSecond) {
  if (bytesPerSecond == 0) return QStringLiteral("-");
  return QStringLiteral("%1 MB/s").arg(
      userNumberLocale().toString(double(bytesPerSecond) / 1e6, 'f', 1));
}

}  // namespace

CliBatch::CliBatch(DiskManager& manager, CliOutput& output, QObject* parent)
    : QObject(parent), manager_(manager), output_(output) {}

std::optional<QString> CliBatch::sameDisk(const QList<Drive>& drives) {
  QHash<QString, QString> named;
  for (const Drive& drive : drives) {
    const QString identity = DeviceArgument::diskIdentity(drive.bsdName);
    const auto seen = named.constFind(identity);
    if (seen == named.cend()) {
      named.insert(identity, drive.bsdName);
    } else if (*seen == drive.bsdName) {
      return tr("%1 is named twice; name each drive once").arg(drive.devicePath);
    } else {
      return tr("%1 and %2 are the same disk; name each drive once")
          .arg(QStringLiteral("/dev/") + *seen, drive.devicePath);
    }
  }
  return std::nullopt;
}

FormatRequest CliBatch::formatRequest(const Drive& drive, const CliRequest& request) const {
  return FormatRequest{drive, deriveVolumeName(request.label), request.cluster.bytes(),
                       request.partitionBytes};
}

QStringList CliBatch::refusals(const QList<Drive>& drives, const CliRequest& request) const {
  QStringList said;
  if (request.command != CliCommand::Format) return said;
  for (const Drive& drive : drives) {
    if (const auto refusal = manager_.tools().validateFormat(formatRequest(drive, request)))
      said << drive.bsdName + QStringLiteral(": ") + *refusal;
  }
  return said;
}

ConfirmationAnswer CliBatch::confirm(const QList<Drive>& drives, const CliRequest& request) const {
  QString prompt;
  if (request.command == CliCommand::Format) {
    QList<FormatRequest> requests;
    for (const Drive& drive : drives) requests << formatRequest(drive, request);
    prompt = BatchConfirmation::formatPrompt(requests);
  } else if (request.command == CliCommand::Probe) {
    const WorkflowPolicy policy(manager_.tools());
    for (const Drive& drive : drives) {
      if (policy.asksBeforeCapacityTest(drive)) prompt = BatchConfirmation::probePrompt(drives);
    }
  }
  if (prompt.isEmpty()) return ConfirmationAnswer::Confirmed;
  const qsizetype count = drives.size();
  return TerminalConfirmation::ask(
      prompt, [count](const QString& typed) { return BatchConfirmation::confirms(typed, count); });
}

void CliBatch::notices(const QList<Drive>& drives, const CliRequest& request) const {
  if (request.command != CliCommand::Format) return;
  for (const Drive& drive : drives) {
    const QString notice = WorkflowPolicy::formatNotice(formatRequest(drive, request));
    if (!notice.isEmpty())
      output_.errorLine(QStringLiteral("tessaro-cli: ") + drive.bsdName + QStringLiteral(": ") +
                        notice);
  }
}

QCoro::Task<int> CliBatch::run(QList<Drive> drives, CliRequest request) {
  QStringList names;
  for (const Drive& drive : drives) names << drive.bsdName;
  BatchBoard board(output_, names);
  std::vector<std::unique_ptr<BatchDriveReport>> reports;
  BatchJob batch(manager_.runner(), manager_.tools().runsBatches());
  for (qsizetype i = 0; i < drives.size(); ++i) {
    const Drive& drive = drives.at(i);
    reports.push_back(std::make_unique<BatchDriveReport>(board, i, request.json));
    batch.add(
        [&](ProcessRunner& runner) -> std::unique_ptr<Job> {
          if (request.command == CliCommand::Format)
            return std::make_unique<FormatJob>(manager_.tools(), runner,
                                               formatRequest(drive, request));
          if (request.command == CliCommand::Check)
            return std::make_unique<CheckJob>(
                manager_.tools(), runner, drive,
                request.readOnly ? CheckMode::readOnly : CheckMode::repair);
          return std::make_unique<ProbeJob>(manager_.tools(), runner, drive, request.full);
        },
        *reports.back());
  }

  InterruptWatcher interrupts;
  connect(&interrupts, &InterruptWatcher::interrupted, this, [this, &batch](int count) {
    batch.cancel();
    if (count == 1)
      output_.errorLine(QStringLiteral("tessaro-cli: ") +
                        CliApplication::tr("Cancelling: waiting for the tools to stop..."));
  });
  // Nobody reads what the batch says any more: it stops where it safely can.
  output_.onFailure([&batch] { batch.cancel(); });
  co_await batch.run();
  output_.onFailure({});
  board.close();

  const bool cancelled = batch.isCancelled();
  QList<int> statuses;
  QList<QStringList> rows;
  QJsonArray entries;
  const bool probe = request.command == CliCommand::Probe;
  // The column names and results are the same in every language, as
  // lsblk's are, for scripts to read.
  QStringList header{QStringLiteral("DRIVE"), QStringLiteral("STATUS"), QStringLiteral("RESULT"),
                     QStringLiteral("TIME")};
  if (probe) header << QStringLiteral("HOLDS") << QStringLiteral("WRITE") << QStringLiteral("READ");
  rows << header;
  QStringList notStarted;
  for (qsizetype i = 0; i < drives.size(); ++i) {
    const Drive& drive = drives.at(i);
    const Job& job = batch.job(i);
    int status = cliSuccess;
    QString result;
    QString kind;
    std::optional<JobFailure> failure = job.failure();
    if (!batch.ran(i)) {
      status = batch.refusedRights() ? int(cliAuthorizationFailed) : int(cliCancelled);
      kind = CliFailureStatus::kind(status);
      result = QStringLiteral("not-started");
      notStarted << drive.bsdName;
      failure = batch.refusedRights();
    } else if (failure) {
      status = CliFailureStatus::of(*failure, cancelled || job.cancellation()->isCancelled());
      kind = CliFailureStatus::kind(*failure, cancelled || job.cancellation()->isCancelled());
      result = kind;
      if (status != cliCancelled && failure->kind != JobFailure::Kind::authorization)
        board.error(i, failure->description);
    } else {
      const auto* check = dynamic_cast<const CheckJob*>(&job);
      if (check && check->finding() == CheckFinding::errorsCorrected) {
        status = cliErrorsCorrected;
        result = QStringLiteral("errors-corrected");
      } else if (request.command == CliCommand::Check) {
        result = QStringLiteral("no-errors");
      } else {
        result = QStringLiteral("formatted");
      }
    }
    if (failure && failure->kind == JobFailure::Kind::counterfeit)
      result = QStringLiteral("counterfeit");
    if (!failure && probe) result = QStringLiteral("genuine");
    statuses << status;

    QStringList row{drive.bsdName, QString::number(status), result,
                    batch.ran(i) ? seconds(batch.elapsedMs(i)) : QStringLiteral("-")};
    const auto* probeJob = dynamic_cast<const ProbeJob*>(&job);
    const std::optional<ProbeResult> found = probeJob ? probeJob->result() : std::nullopt;
    if (probe) {
      row << (found ? formatByteCount(qint64(found->usableBytes), userNumberLocale())
                    : QStringLiteral("-"))
          << (found ? speed(found->writeBytesPerSecond) : QStringLiteral("-"))
          << (found ? speed(found->readBytesPerSecond) : QStringLiteral("-"));
    }
    rows << row;

    if (request.json) {
      QJsonObject entry;
      if (found) {
        entry = ProbeResultJson::object(*found, drive);
      } else {
        const auto* report = reports[size_t(i)].get();
        const QString reason = report->lastToolLine();
        const QString message = failure ? failure->description : QString();
        entry = QJsonDocument::fromJson(
                    CliApplication::errorDocument(
                        kind, message, message.contains(reason) ? QString() : reason,
                        failure && failure->written, failure ? failure->exitStatus : std::nullopt))
                    .object();
        entry.insert(QStringLiteral("device"), drive.devicePath);
      }
      entry.insert(QStringLiteral("exit-status"), status);
      entries << entry;
    }
  }
  if (const auto& refused = batch.refusedRights()) {
    // Once for the batch: no drive was started after the rights were refused.
    // In one shared run every drive was refused alike.
    output_.errorLine(
        QStringLiteral("tessaro-cli: ") + refused->description +
        (notStarted.isEmpty()
             ? QString()
             : QStringLiteral(" ") +
                   tr("Nothing was started on %1.").arg(notStarted.join(QStringLiteral(", ")))));
  }
  if (request.json) {
    output_.document(QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("drives"), entries}})
                                       .toJson(QJsonDocument::Indented)));
  } else {
    output_.lines(TextColumns::lines(rows, output_.isTerminal(), {1}));
  }
  if (cancelled) {
    co_return interrupts.firstSignal() > 0 ? cliSignalled + interrupts.firstSignal()
                                           : int(cliCancelled);
  }
  co_return CliFailureStatus::ofBatch(statuses);
}

}  // namespace tessaro
