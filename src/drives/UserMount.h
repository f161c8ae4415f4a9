// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QString>
#include <QStringList>

#include "exec/ProcessRunner.h"

namespace tessaro {

struct UserMountOutcome {
  bool attempted = false;  // false: udisksctl is not installed
  QStringList lines;       // what udisksctl said when it mounted ("Mounted /dev/sdb1 at ...")
  // Why it did not mount, in udisksctl's words after "Not mounted: " (udisks
  // not running, a device it does not manage): a note, never a failure of
  // the work done before.
  QStringList notes;
};

// Mounts a partition the way the desktop does, as the user running Tessaro
// and never as root: `udisksctl mount -b <partition>`, which picks the place
// under /media or /run/media. Used after a format and after a repair.
QCoro::Task<UserMountOutcome> mountAsDesktopUser(
    ProcessRunner& runner, QString partitionPath,
    QString udisksctlPath = QStringLiteral("/usr/bin/udisksctl"));

}  // namespace tessaro
