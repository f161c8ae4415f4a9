// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/LogicalSectorSize.h"

namespace tessaro {

bool isValidLogicalSectorSize(std::int64_t bytes) {
  return bytes >= 512 && bytes <= 65536 && (bytes & (bytes - 1)) == 0;
}

}  // namespace tessaro
