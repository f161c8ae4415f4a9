// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DriveEvents.h"

#ifndef __APPLE__
#include "drives/LinuxDriveEvents.h"
#endif

namespace tessaro {

// macOS lists drives anew on request only: DiskArbitration callbacks could
// feed this source, but nothing here runs them.
std::unique_ptr<DriveEvents> DriveEvents::platformDefault() {
#ifdef __APPLE__
  return std::make_unique<DriveEvents>();
#else
  return std::make_unique<LinuxDriveEvents>();
#endif
}

}  // namespace tessaro
