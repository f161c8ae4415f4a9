// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <optional>

#include "drives/DevicePaths.h"

namespace tessaro {

// macOS: unmount, check and repair on the raw device, mount again, on three
// lines joined by "&&".
QString macCheckLine(const QString& targetBsdName, const QString& diskutilPath);

// Linux: the status a check reports after `fsck.fat -a -w -v`. fsck.fat exits
// 1 both when it fixed errors and when it gave up (not a FAT file system,
// unreadable boot sector), so after a 1 the helper checks again read-only
// (`fsck.fat -n`): when that is not clean the file system is still
// inconsistent and the status becomes 4 (errors left uncorrected, as fsck(8)
// counts). Any other repair status stands as it is.
int linuxCheckStatus(int repairStatus, std::optional<int> recheckStatus);

// Whether a check that ended with this exit status left a consistent file
// system: 0 (clean) or 1 (errors fixed). Without a status (macOS reports
// none) the tools' output is all there is, and the check counts as done.
bool checkLeftFileSystemConsistent(std::optional<int> exitStatus);

}  // namespace tessaro
