// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <algorithm>

#include "contract/HelperContract.h"
#include "drives/CheckLine.h"
#include "exec/VisibleText.h"
#include "helper/HeldDisk.h"
#include "helper/HelperVerbs.h"
#include "helper/LinuxFormatSteps.h"

namespace tessaro::helper {

namespace {

bool isUserMediaMount(const QString& target) {
  for (const char* root : {"/media/", "/run/media/"}) {
    if (target.startsWith(QLatin1String(root))) return true;
  }
  return false;
}

}  // namespace

// check TARGET [MODE]: unmount TARGET where the desktop mounted it, then
// check its FAT file system, repairing it unless MODE is read-only. Exits
// with fsck.fat's status as linuxCheckStatus reads it (read-only: 0 clean,
// 4 errors found and left); the helper's own statuses above 63.
int checkVerb(const std::vector<std::string>& words) {
  const QStringList args = qtWords(words);
  if (args.size() != 1 && args.size() != 2)
    stop(HelperContract::usage, QStringLiteral("Usage: tessaro-helper check TARGET [MODE]"));
  bool readOnly = false;
  if (args.size() == 2) {
    readOnly = args[1] == QLatin1String(HelperContract::checkReadOnly);
    if (!readOnly && args[1] != QLatin1String(HelperContract::checkRepair)) {
      stop(HelperContract::usage,
           QStringLiteral("Usage: the check's mode is \"") +
               QLatin1String(HelperContract::checkRepair) + QStringLiteral("\" or \"") +
               QLatin1String(HelperContract::checkReadOnly) + QStringLiteral("\", not \"") +
               visibleText(args[1], LineFeeds::escape) + QStringLiteral("\"."));
    }
  }
  const KernelDevice target = deviceNamed(args[0]);
  HelperTools tools({QStringLiteral("umount"), QStringLiteral("fsck.fat")});
  requireTools(tools);

  HeldDisk held(
      target,
      QStringLiteral("Cancelled: nothing on ") + target.path() + QStringLiteral(" was changed."),
      QStringLiteral("Cancelled: the check of ") + target.path() +
          QStringLiteral(" was stopped before it finished; check it again."));
  VerbRun& run = held.run();
  run.setWrittenNote(QStringLiteral("the check of ") + target.path() +
                     QStringLiteral(" may have stopped part way: check it again."));

  // Where the target is mounted, as the guard read it just now.
  const LsblkDevice* record = held.tree().find(target.name());
  const QStringList mounts = record ? record->mountpoints : readMountTargets(target);
  if (!mounts.isEmpty()) {
    for (const QString& mount : mounts) {
      if (!isUserMediaMount(mount)) {
        stop(HelperContract::refusedDevice,
             QStringLiteral("Refused: ") + target.path() + QStringLiteral(" is mounted at ") +
                 visibleText(mount, LineFeeds::escape) + QStringLiteral(", outside /media."));
      }
    }
    for (const ToolStep& step : linuxUnmountSteps(
             tools.path(QStringLiteral("umount")).toStdString(), {target.path().toStdString()})) {
      const int status = run.run(step);
      if (status != 0) {
        stop(HelperContract::toolFailed,
             QStringLiteral("Failed: ") + target.path() +
                 QStringLiteral(" could not be unmounted (exit status ") + QString::number(status) +
                 QStringLiteral("); it was not checked."),
             QStringLiteral("umount"));
      }
    }
    if (!readMountTargets(target).isEmpty()) {
      stop(HelperContract::deviceBusy,
           QStringLiteral("Refused: ") + target.path() +
               QStringLiteral(" is still mounted; it was not checked."));
    }
  }
  // fsck.fat never runs on a file system that anything still holds, and
  // nothing can mount or claim it until fsck.fat is done: the helper holds it
  // exclusively from here to its end (fsck.fat's own open is not exclusive).
  held.holdExclusively(target);

  const std::string fsck = tools.path(QStringLiteral("fsck.fat")).toStdString();
  const std::string targetPath = target.path().toStdString();
  if (readOnly) {
    // fsck.fat -n opens the file system read-only and changes nothing: no
    // writing event, and a cancel leaves the drive as it was.
    run.planSteps(1);
    const int found = run.run({{fsck, "-n", "-v", targetPath}, {}});
    run.allStepsDone();
    if (found == 0 || found == 1) return found == 0 ? 0 : 4;
    stop(HelperContract::toolFailed, QStringLiteral("Failed: fsck.fat ended with status ") +
                                         QString::number(found) + QStringLiteral("; nothing on ") +
                                         target.path() + QStringLiteral(" was changed."));
  }
  run.markWriting(false);
  // fsck.fat tells no fraction of its own: progress is its repair and its
  // second look, when it takes one.
  run.planSteps(2);
  const int repair = run.run({{fsck, "-a", "-w", "-v", targetPath}, {}});
  // Statuses from 64 on are a signal's (128 + n): fsck.fat did not end by itself.
  if (repair < 64) run.stepDone();
  std::optional<int> recheck;
  if (repair == 1) recheck = run.run({{fsck, "-n", targetPath}, {}});
  const int status = linuxCheckStatus(repair, recheck);
  if (status >= 64 || (recheck && *recheck >= 64)) {
    stop(HelperContract::toolFailed,
         QStringLiteral("Failed: fsck.fat ended with exit status ") +
             QString::number(std::max(status, recheck.value_or(0))) + QStringLiteral("; ") +
             QString::fromStdString(run.writtenNote()),
         QStringLiteral("fsck.fat"));
  }
  run.allStepsDone();
  return status;
}

}  // namespace tessaro::helper
