#include "drives/HelperFailure.h"
#include "drives/InfoReport.h"
#include "exec/Error.h"
#include "ui/ContentView.h"

namespace tessaro {

void ContentView::showDriveInfo() {
  if (!selectedDrive_) return;
  setBusy(true);
  setStatusLog(QStringLiteral("Reading info for ") + selectedDrive_->devicePath +
               QStringLiteral("..."));
  startWorkflow(performDriveInfo(*selectedDrive_));
}

QCoro::Task<> ContentView::performDriveInfo(Drive drive) {
  std::optional<QString> partition;
  try {
    partition = co_await diskManager_->findPartition(drive.bsdName);
  } catch (const std::exception&) {
    // Without a partition the report covers the whole disk only.
  }
  const PrivilegedCommand command =
      diskManager_->tools().infoReportCommand(drive.bsdName, partition);

  // Filled on the runner's reading thread, read only after the run returned.
  QString output;
  auto collect = [&output](const QStringList& lines) {
    for (const QString& line : lines) output += line + QLatin1Char('\n');
  };
  try {
    const PrivilegedRunResult run =
        co_await diskManager_->runner().run(command.tool, command.args, collect);
    if (run.exitStatus.value_or(0) != 0) {
      // The helper refused the drive or could not read it: its own words say why.
      const QString said = output.trimmed();
      if (!said.isEmpty()) appendLog(said);
      appendLog(QStringLiteral("\u274C Error: Reading info failed on ") + drive.devicePath +
                helperFailureSuffix(*run.exitStatus, QStringLiteral("read")));
    } else {
      appendLog(infoReportLines(output, drive.bsdName).join(QLatin1Char('\n')));
    }
  } catch (const std::exception& error) {
    appendLog(QStringLiteral("\u274C Error: ") + describeError(error));
  }
  setBusy(false);
}

}  // namespace tessaro
