// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>

namespace tessaro {

// The logical sector sizes a real drive has: a power of two from 512 to
// 65536 bytes. Anything else is a broken report, and no size is computed
// from it.
bool isValidLogicalSectorSize(std::int64_t bytes);

}  // namespace tessaro
