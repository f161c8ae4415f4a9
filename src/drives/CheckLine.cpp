// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/CheckLine.h"

namespace tessaro {

QString macCheckLine(const QString& targetBsdName, const QString& diskutilPath) {
  const QString target = devicePathOf(targetBsdName);
  return diskutilPath + QStringLiteral(" unmount ") + target + QStringLiteral(" &&\n") +
         QStringLiteral("/sbin/fsck_msdos -fy ") + rawDevicePathOf(target) +
         QStringLiteral(" &&\n") + diskutilPath + QStringLiteral(" mount ") + target;
}

int linuxCheckStatus(int repairStatus, std::optional<int> recheckStatus) {
  if (repairStatus == 1 && (!recheckStatus || *recheckStatus != 0)) return 4;
  return repairStatus;
}

bool checkLeftFileSystemConsistent(std::optional<int> exitStatus) {
  return !exitStatus || *exitStatus == 0 || *exitStatus == 1;
}

}  // namespace tessaro
