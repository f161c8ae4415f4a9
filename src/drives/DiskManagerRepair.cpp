#include "drives/CheckLine.h"
#include "drives/DiskManager.h"
#include "drives/UserMount.h"
#include "exec/Error.h"

namespace tessaro {

QCoro::Task<QString> DiskManager::findPartition(QString bsdName) {
  const QStringList command = tools_->partitionListCommand(bsdName);
  const QString text = co_await runner_.runAndCapture(command);
  co_return tools_->parseFirstPartition(text, bsdName);
}

QCoro::Task<RepairResult> DiskManager::repair(QString bsdName) {
  RepairResult result;
  QString targetName = bsdName;
  bool wholeDisk = false;
  try {
    targetName = co_await findPartition(bsdName);
    // A disk that holds its file system without a partition table is its own target.
    wholeDisk = targetName == bsdName;
  } catch (const std::exception&) {
    // Whatever the lookup's trouble, the whole disk is checked instead.
    targetName = bsdName;
    wholeDisk = true;
  }
  if (wholeDisk) {
    result.log += QStringLiteral("\u26A0\uFE0F No partition found, using whole disk ") +
                  devicePathOf(bsdName) + QStringLiteral("\n");
  } else {
    result.log += QStringLiteral("\u2139\uFE0F Using partition ") + devicePathOf(targetName) +
                  QStringLiteral(" for repair\n");
  }
  result.target = devicePathOf(targetName);

  const PrivilegedCommand command = tools_->checkCommand(targetName);
  // A shell line is shown as the shell gets it; the Linux helper shows each
  // tool it runs itself.
  result.log += command.tool == QLatin1String("/bin/sh")
                    ? QStringLiteral("$ sh -c \"") + command.commandLine + QStringLiteral("\"\n")
                    : QStringLiteral("$ ") + command.commandLine + QStringLiteral("\n");

  // The runner calls this on its reading thread and has returned before the
  // log is touched again here.
  QString output;
  auto collect = [&output](const QStringList& lines) {
    for (const QString& line : lines) output += line + QLatin1Char('\n');
  };
  const PrivilegedRunResult run = co_await runner_.run(command.tool, command.args, collect);
  result.log += output;
  result.exitStatus = run.exitStatus;

  // On Linux the helper only unmounts and checks; mounting again is done as
  // the desktop user, and also after a check that fixed errors (status 1).
  if (tools_->mountsAsDesktopUser() && checkLeftFileSystemConsistent(result.exitStatus)) {
    const UserMountOutcome mount = co_await mountAsDesktopUser(runner_, result.target);
    for (const QString& line : mount.lines) result.log += line + QLatin1Char('\n');
    if (!mount.attempted) {
      result.log += QStringLiteral("Not mounted: udisksctl (udisks2) is not installed.\n");
    }
  }
  co_return result;
}

}  // namespace tessaro
