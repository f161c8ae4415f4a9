// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DiskTools.h"
#include "drives/DriveEvents.h"
#include "drives/mac/MacDiskTools.h"

namespace tessaro {

// Built into macOS builds only; Linux builds take linux/PlatformDefault.cpp.
std::unique_ptr<DiskTools> DiskTools::platformDefault() { return std::make_unique<MacDiskTools>(); }

// macOS lists drives anew on request only: DiskArbitration callbacks could
// feed this source, but nothing here runs them.
std::unique_ptr<DriveEvents> DriveEvents::platformDefault() {
  return std::make_unique<DriveEvents>();
}

}  // namespace tessaro
