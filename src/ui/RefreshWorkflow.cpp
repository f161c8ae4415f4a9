#include "exec/Error.h"
#include "ui/ContentView.h"

namespace tessaro {

void ContentView::refreshOnAppear() {
  setBusy(true);
  announceMissingTools();
  startWorkflow(performRefresh(false));
}

void ContentView::refreshDrives() {
  setBusy(true);
  setStatusLog(QStringLiteral("Refreshing drives..."));
  startWorkflow(performRefresh(true));
}

// The start-up refresh (announce false) leaves the log alone when it works.
QCoro::Task<> ContentView::performRefresh(bool announce) {
  std::optional<QString> failure;
  try {
    co_await diskManager_->refresh();
  } catch (const std::exception& error) {
    failure = describeError(error);
  }
  if (failure) {
    setStatusLog(QStringLiteral("Error refreshing drives: ") + *failure);
  } else {
    const QList<Drive>& drives = diskManager_->drives();
    setSelectedDrive(drives.isEmpty() ? std::nullopt : std::optional<Drive>(drives.first()));
    if (announce) {
      setStatusLog(QStringLiteral("Found %1 external/removable drive(s).").arg(drives.size()));
    }
  }
  setBusy(false);
}

}  // namespace tessaro
