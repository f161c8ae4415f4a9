#include "jobs/CheckJob.h"

#include "drives/CheckLine.h"
#include "drives/DevicePaths.h"
#include "drives/PartitionLookup.h"
#include "drives/UserMount.h"
#include "jobs/ReportTexts.h"

namespace tessaro {

CheckJob::CheckJob(const DiskTools& tools, ProcessRunner& runner, Drive drive)
    : tools_(tools), runner_(runner), drive_(std::move(drive)) {}

QString CheckJob::title() const { return reportText::checkStarting(drive_.devicePath); }

QCoro::Task<> CheckJob::perform(Report& report) {
  QString target = drive_.bsdName;
  try {
    target = co_await findPartition(tools_, runner_, drive_.bsdName);
  } catch (const std::exception&) {
    // Whatever the lookup's trouble, the whole disk is checked instead.
    target = drive_.bsdName;
  }
  // A disk that holds its file system without a partition table is its own target.
  const QString targetPath = devicePathOf(target);
  QStringList account{target == drive_.bsdName ? reportText::checkUsingWholeDisk(targetPath)
                                               : reportText::checkUsingPartition(targetPath)};

  const PrivilegedCommand command = tools_.checkCommand(target);
  account << reportText::checkCommandLine(command.tool, command.commandLine);
  // Filled on the runner's reading thread, read only after the run returned.
  QStringList output;
  auto collect = [&output](const QStringList& lines) { output << lines; };
  const PrivilegedRunResult ran = co_await runner_.run(command.tool, command.args, collect);
  account << output;

  if (!checkLeftFileSystemConsistent(ran.exitStatus)) {
    account << QString();
    report.lines(account);
    fail(reportText::checkToolFailed(targetPath, *ran.exitStatus));
  }
  // Also after a check that fixed errors, the desktop user mounts it again.
  if (tools_.mountsAsDesktopUser()) {
    const UserMountOutcome mounted = co_await mountAsDesktopUser(runner_, targetPath);
    account << mounted.lines;
    if (!mounted.attempted) account << reportText::notMountedAfterCheck();
  }
  // The account ends with a line break, which leaves an empty line before
  // the outcome.
  account << QString();
  report.lines(account);
  report.succeeded(reportText::checkComplete());
}

QString CheckJob::failureLine(const QString& description) const {
  return reportText::checkOrInfoFailed(description);
}

}  // namespace tessaro
