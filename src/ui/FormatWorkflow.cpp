#include <QMessageBox>
#include <QPushButton>

#include "drives/FormatRequestRules.h"
#include "drives/HelperFailure.h"
#include "drives/LinuxFormatSteps.h"
#include "drives/UserMount.h"
#include "exec/Error.h"
#include "exec/HelperContract.h"
#include "ui/ContentView.h"

namespace tessaro {

namespace {

// Erasing is final, so the safe answer is the default one.
bool askToErase(QWidget* parent, const Drive& drive) {
  QMessageBox box(parent);
  box.setIcon(QMessageBox::Warning);
  box.setWindowTitle(QStringLiteral("Erase drive?"));
  box.setText(QStringLiteral("Erase ") + drive.description + QStringLiteral(" (") +
              drive.devicePath + QStringLiteral(")?"));
  box.setInformativeText(
      QStringLiteral("All data on this drive will be erased. "
                     "This cannot be undone."));
  QPushButton* erase = box.addButton(QStringLiteral("Erase"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == erase;
}

}  // namespace

void ContentView::formatSelectedDrive() {
  if (!selectedDrive_) return;
  const Drive drive = *selectedDrive_;
  const QString volumeName = deriveVolumeName(label_);
  const std::optional<int> clusterBytes = cluster_.bytes();

  // A request that will be refused erases nothing, so there is nothing to
  // confirm; performFormat logs the reason.
  const bool refused =
      diskManager().tools().validateFormat({drive, volumeName, clusterBytes}).has_value();
  if (!refused) {
    const bool confirmed = confirm_ ? confirm_(drive) : askToErase(this, drive);
    if (!confirmed) return;
  }
  formatRunning_ = true;
  setBusy(true);
  setStatusLog(QStringLiteral("Starting format of ") + drive.devicePath +
               QStringLiteral(" as FAT32."));
  startWorkflow(performFormat(drive, volumeName, clusterBytes));
}

QCoro::Task<> ContentView::performFormat(Drive drive, QString volumeName,
                                         std::optional<int> clusterBytes) {
  auto finish = [this](const QString& line) {
    appendLog(line);
    setBusy(false);
  };
  const DiskTools& tools = diskManager().tools();
  const FormatRequest request{drive, volumeName, clusterBytes};
  if (const auto refusal = tools.validateFormat(request)) {
    finish(QStringLiteral("Error: ") + *refusal);
    co_return;
  }

  const PrivilegedCommand command = tools.formatCommand(request);
  // Called on the runner's reading thread. The helper announces each tool
  // with a "$ " line; the first one is where the drive may start to change.
  const LineHandler onChunk = [this](const QStringList& lines) {
    if (!formatWriting_) {
      for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("$ "))) formatWriting_ = true;
      }
    }
    appendLogLines(lines);
  };
  std::optional<int> exitStatus;
  try {
    const PrivilegedRunResult result =
        co_await diskManager().runner().run(command.tool, command.args, onChunk, workflowCancel_);
    exitStatus = result.exitStatus;
    if (result.cancelled && !result.toolStarted) {
      finish(QStringLiteral("Cancelled: nothing was written to ") + drive.devicePath +
             QLatin1Char('.'));
      co_return;
    }
    // The helper's own last line says what it stopped and what state remains.
    if (result.cancelled && exitStatus == HelperContract::cancelled) {
      setBusy(false);
      co_return;
    }
  } catch (const std::exception& error) {
    finish(QStringLiteral("Error: ") + describeError(error));
    co_return;
  }
  if (exitStatus && *exitStatus != 0) {
    finish(QStringLiteral("Error: Format failed for ") + volumeName + QStringLiteral(" on ") +
           drive.devicePath + helperFailureSuffix(*exitStatus, QStringLiteral("formatted")));
    co_return;
  }

#ifndef __APPLE__
  // The helper ran as root; the desktop user mounts the new file system.
  const UserMountOutcome mounted = co_await mountAsDesktopUser(
      diskManager().runner(), linuxFormatPartitionPath(drive.devicePath));
  if (!mounted.attempted) {
    appendLog(
        QStringLiteral("The drive is formatted and not mounted: udisksctl (udisks2) is not "
                       "installed."));
  }
  for (const QString& line : mounted.lines) appendLog(line);
#endif
  finish(QStringLiteral("Format complete for ") + volumeName + QStringLiteral(" on ") +
         drive.devicePath);
}

}  // namespace tessaro
