// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/Drive.h"

namespace tessaro {

size_t qHash(const Drive& drive, size_t seed) {
  return qHashMulti(seed, drive.id, drive.bsdName, drive.devicePath, drive.description, drive.model,
                    drive.isSystem, drive.size);
}

}  // namespace tessaro
