#include "drives/CheckLine.h"
#include "drives/HelperFailure.h"
#include "exec/Error.h"
#include "ui/ContentView.h"

namespace tessaro {

void ContentView::checkSelectedDrive() {
  if (!selectedDrive_) return;
  setBusy(true);
  setStatusLog(QStringLiteral("Running disk checking operation on ") + selectedDrive_->devicePath +
               QStringLiteral("..."));
  startWorkflow(performCheck(*selectedDrive_));
}

QCoro::Task<> ContentView::performCheck(Drive drive) {
  try {
    const RepairResult result = co_await diskManager_->repair(drive.bsdName);
    appendLog(result.log);
    if (checkLeftFileSystemConsistent(result.exitStatus)) {
      appendLog(QStringLiteral("\u2705 Repair completed."));
    } else {
      appendLog(QStringLiteral("\u274C Error: Check failed on ") + result.target +
                helperFailureSuffix(*result.exitStatus, QStringLiteral("checked")));
    }
  } catch (const std::exception& error) {
    appendLog(QStringLiteral("\u274C Error: ") + describeError(error));
  }
  setBusy(false);
}

}  // namespace tessaro
