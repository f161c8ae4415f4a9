// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DiskTools.h"
#include "drives/LinuxDiskTools.h"
#include "drives/MacDiskTools.h"

namespace tessaro {

std::unique_ptr<DiskTools> DiskTools::platformDefault() {
#ifdef __APPLE__
  return std::make_unique<MacDiskTools>();
#else
  return std::make_unique<LinuxDiskTools>();
#endif
}

}  // namespace tessaro
