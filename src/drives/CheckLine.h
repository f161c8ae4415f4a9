#pragma once

#include <QString>
#include <optional>

#include "drives/DevicePaths.h"

namespace tessaro {

// macOS: unmount, check and repair on the raw device, mount again, on three
// lines joined by "&&".
QString macCheckLine(const QString& targetBsdName, const QString& diskutilPath);

// Linux: unmount the target where it is mounted, then check and repair it
// without questions. fsck.fat exits 1 both when it fixed errors and when it
// gave up (not a FAT file system, unreadable boot sector), so a 1 is checked
// again read-only and becomes 4 (errors left uncorrected, as fsck(8) counts)
// when the file system is still not consistent. The helper runs this line
// and the application shows it, so both build it here.
QString linuxCheckLine(const QString& targetDevicePath);

// Whether a check that ended with this exit status left a consistent file
// system: 0 (clean) or 1 (errors fixed). Without a status (macOS reports
// none) the tools' output is all there is, and the check counts as done.
bool checkLeftFileSystemConsistent(std::optional<int> exitStatus);

}  // namespace tessaro
