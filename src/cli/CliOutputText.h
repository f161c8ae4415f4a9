// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "drives/Wording.h"

namespace tessaro {

// What tessaro-cli says when standard output cannot be written, %1 the
// system's reason: in English here, translated in context "CliOutput".
inline constexpr const char* kCannotWriteOutput =
    TESSARO_TRANSLATABLE("CliOutput", "cannot write to standard output: %1");

}  // namespace tessaro
