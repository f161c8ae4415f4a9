// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <algorithm>
#include <string>
#include <string_view>

#include "contract/HelperContract.h"
#include "drives/CheckLine.h"
#include "exec/VisibleText.h"
#include "helper/DeviceGuard.h"
#include "helper/HeldDisk.h"
#include "helper/HelperVerbs.h"
#include "helper/LinuxFormatSteps.h"
#include "helper/MountTargets.h"
#include "helper/RequiredTools.h"

namespace tessaro::helper {

namespace {

bool isUserMediaMount(std::string_view target) {
  for (const std::string_view root : {"/media/", "/run/media/"}) {
    if (target.substr(0, root.size()) == root) return true;
  }
  return false;
}

}  // namespace

// check TARGET [MODE]: unmount TARGET where the desktop mounted it, then
// check its FAT file system, repairing it unless MODE is read-only. Exits
// with fsck.fat's status as linuxCheckStatus reads it (read-only: 0 clean,
// 4 errors found and left); the helper's own statuses above 63.
int checkVerb(const std::vector<std::string>& args) {
  if (args.size() != 1 && args.size() != 2)
    stop(HelperContract::usage, std::string("Usage: tessaro-helper check TARGET [MODE]"));
  bool readOnly = false;
  if (args.size() == 2) {
    const std::string& mode = args[1];
    readOnly = mode == HelperContract::checkReadOnly;
    if (!readOnly && mode != HelperContract::checkRepair) {
      stop(HelperContract::usage, std::string("Usage: the check's mode is \"") +
                                      HelperContract::checkRepair + "\" or \"" +
                                      HelperContract::checkReadOnly + "\", not \"" +
                                      visibleText(mode, LineFeeds::escape) + "\".");
    }
  }
  const KernelDevice target = deviceNamed(args[0]);
  HelperTools tools(std::vector<std::string>{"umount", "fsck.fat"});
  requireTools(tools);

  const std::string& path = target.path();
  HeldDisk held(
      target, "Cancelled: nothing on " + path + " was changed.",
      "Cancelled: the check of " + path + " was stopped before it finished; check it again.");
  VerbRun& run = held.run();
  run.setWrittenNote("the check of " + path + " may have stopped part way: check it again.");

  // Where the target is mounted, as the guard read it just now.
  const LsblkDevice* record = held.tree().find(target.name());
  const std::vector<std::string> mounts = record ? record->mountpoints : readMountTargets(target);
  if (!mounts.empty()) {
    for (const std::string& mount : mounts) {
      if (!isUserMediaMount(mount)) {
        stop(HelperContract::refusedDevice, "Refused: " + path + " is mounted at " +
                                                visibleText(mount, LineFeeds::escape) +
                                                ", outside /media.");
      }
    }
    for (const ToolStep& step : linuxUnmountSteps(tools.path("umount"), {path})) {
      const int status = run.run(step);
      if (status != 0) {
        stop(HelperContract::toolFailed,
             "Failed: " + path + " could not be unmounted (exit status " + std::to_string(status) +
                 "); it was not checked.",
             "umount");
      }
    }
    if (!readMountTargets(target).empty()) {
      stop(HelperContract::deviceBusy,
           "Refused: " + path + " is still mounted; it was not checked.");
    }
  }
  // fsck.fat never runs on a file system that anything still holds, and
  // nothing can mount or claim it until fsck.fat is done: the helper holds it
  // exclusively from here to its end (fsck.fat's own open is not exclusive).
  held.holdExclusively(target);

  const std::string fsck = tools.path("fsck.fat");
  if (readOnly) {
    // fsck.fat -n opens the file system read-only and changes nothing: no
    // writing event, and a cancel leaves the drive as it was.
    run.planSteps(1);
    const int found = run.run({{fsck, "-n", "-v", path}, {}});
    run.allStepsDone();
    if (found == 0 || found == 1) return found == 0 ? 0 : 4;
    stop(HelperContract::toolFailed, "Failed: fsck.fat ended with status " + std::to_string(found) +
                                         "; nothing on " + path + " was changed.");
  }
  run.markWriting(false);
  // fsck.fat tells no fraction of its own: progress is its repair and its
  // second look, when it takes one.
  run.planSteps(2);
  const int repair = run.run({{fsck, "-a", "-w", "-v", path}, {}});
  // Statuses from 64 on are a signal's (128 + n): fsck.fat did not end by itself.
  if (repair < 64) run.stepDone();
  std::optional<int> recheck;
  if (repair == 1) recheck = run.run({{fsck, "-n", path}, {}});
  const int status = linuxCheckStatus(repair, recheck);
  if (status >= 64 || (recheck && *recheck >= 64)) {
    stop(HelperContract::toolFailed,
         "Failed: fsck.fat ended with exit status " +
             std::to_string(std::max(status, recheck.value_or(0))) + "; " + run.writtenNote(),
         "fsck.fat");
  }
  run.allStepsDone();
  return status;
}

}  // namespace tessaro::helper
