// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DiskTools.h"
#include "drives/DriveEvents.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/linux/LinuxDriveEvents.h"

namespace tessaro {

// Built into Linux builds only; macOS builds take mac/PlatformDefault.cpp.
std::unique_ptr<DiskTools> DiskTools::platformDefault() {
  return std::make_unique<LinuxDiskTools>();
}

std::unique_ptr<DriveEvents> DriveEvents::platformDefault() {
  return std::make_unique<LinuxDriveEvents>();
}

}  // namespace tessaro
