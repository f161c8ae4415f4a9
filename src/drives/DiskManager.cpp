// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DiskManager.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <utility>

#include "exec/Error.h"

namespace tessaro {

namespace {

struct ManagerText {
  Q_DECLARE_TR_FUNCTIONS(DiskManager)
};

// A tool that is not there at all gets a description that says what to
// install; any other launch failure passes through as the platform gave it.
QString missingToolDescription(const QString& program) {
  const QString name = QFileInfo(program).fileName();
  if (name == QLatin1String("lsblk")) return ManagerText::tr("lsblk not found: install util-linux");
  return ManagerText::tr("%1 not found").arg(name);
}

constexpr qint64 toolNotFound = 3;

// Runs cmd, or takes the run of it already begun.
QCoro::Task<QString> runTool(ProcessRunner& runner, QStringList cmd,
                             std::shared_ptr<Cancellation> cancel,
                             std::shared_ptr<ProcessRunner::BegunCapture> begun = {}) {
  try {
    if (begun)
      co_return co_await runner.runAndCapture(std::move(begun), std::move(cancel),
                                              ProcessRunner::Status::checked);
    co_return co_await runner.runAndCapture(cmd, {}, std::move(cancel),
                                            ProcessRunner::Status::checked);
  } catch (const Error& error) {
    if (error.domain() == ErrorDomain::process && !cmd.isEmpty() && !QFileInfo::exists(cmd.first()))
      throw Error(ErrorDomain::diskManager, toolNotFound, missingToolDescription(cmd.first()));
    // What a failing tool printed is its message, not a list to be read.
    if (error.domain() == ErrorDomain::toolStatus) {
      const QString tool = QFileInfo(cmd.first()).fileName();
      throw Error(ErrorDomain::diskManager, error.code(),
                  error.description().isEmpty()
                      ? ManagerText::tr("%1 failed with exit status %2").arg(tool).arg(error.code())
                      : ManagerText::tr("%1 failed with exit status %2: %3")
                            .arg(tool)
                            .arg(error.code())
                            .arg(error.description()));
    }
    throw;
  }
}

}  // namespace

DiskManager::DiskManager(std::unique_ptr<DiskTools> tools, ProcessRunner& runner, QObject* parent)
    : QObject(parent), tools_(std::move(tools)), runner_(runner) {}

void DiskManager::beginRefresh() {
  if ((begunText_ = tools_->readList())) return;
  const QStringList command = tools_->listCommand();
  if (!command.isEmpty()) begunList_ = std::make_shared<ProcessRunner::BegunCapture>(command);
}

bool DiskManager::waitForBegunRefresh(std::chrono::milliseconds timeout) const {
  return !begunList_ || begunList_->waitFor(timeout);
}

QCoro::Task<> DiskManager::refresh(std::shared_ptr<Cancellation> cancel) {
  std::shared_ptr<ProcessRunner::BegunCapture> begun = std::exchange(begunList_, nullptr);
  std::optional<QString> readText = std::exchange(begunText_, std::nullopt);
  if (!readText && !begun) readText = tools_->readList();
  // (No co_await inside a conditional expression: GCC 12 destroys its
  // temporaries twice.)
  QString listText;
  if (readText) {
    listText = std::move(*readText);
  } else {
    const QStringList command = begun ? begun->command() : tools_->listCommand();
    listText = co_await runTool(runner_, command, cancel, std::move(begun));
  }
  const QStringList identifiers = tools_->parseDiskList(listText);

  QList<Drive> found;
  for (const QString& bsdName : identifiers) {
    if (tools_->isSkipped(bsdName)) continue;
    const QStringList infoCommand = tools_->infoCommand(bsdName);
    QString infoText = listText;
    if (!infoCommand.isEmpty()) infoText = co_await runTool(runner_, infoCommand, cancel);
    if (auto drive = tools_->parseDriveInfo(infoText, bsdName)) found.append(*drive);
  }

  blockDevices_ = tools_->parseBlockDevices(listText);
  drives_ = found;
  emit drivesChanged(drives_);
}

std::optional<QString> DiskManager::listedPartition(const QString& bsdName) const {
  bool listed = false;
  const std::string name = bsdName.toStdString();
  for (const BlockDevice& device : blockDevices_) {
    // A partition comes after its disk, in the order of the disk's table.
    if (device.parent == name && device.type == "part") return QString::fromStdString(device.name);
    listed = listed || device.name == name;
  }
  if (listed) return bsdName;
  return std::nullopt;
}

}  // namespace tessaro
