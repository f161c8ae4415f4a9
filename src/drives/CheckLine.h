// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>

namespace tessaro {

// Linux: the status a repairing check reports after `fsck.fat -a -w -v`. fsck.fat exits
// 1 both when it fixed errors and when it gave up (not a FAT file system,
// unreadable boot sector), so after a 1 the helper checks again read-only
// (`fsck.fat -n`): when that is not clean the file system is still
// inconsistent and the status becomes 4 (errors left uncorrected, as fsck(8)
// counts). Any other repair status stands as it is.
int linuxCheckStatus(int repairStatus, std::optional<int> recheckStatus);

// What a check found, as its exit status tells it where it tells one
// (fsck(8)'s statuses, which the Linux helper passes on): 0 no errors, 1
// errors found and corrected, 4 errors found and left; any other status is
// no finding: the check failed. Where the status tells no finding (macOS),
// 0 or 1, or no status at all, is a check done whose tools' output says the
// rest: untold.
enum class CheckFinding { noErrors, errorsCorrected, errorsLeft, untold, failed };
CheckFinding checkFinding(std::optional<int> exitStatus, bool statusTellsFinding);

}  // namespace tessaro
