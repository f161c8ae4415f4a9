// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/FontWarmUp.h"

namespace tessaro {

// Core Text has nothing to read ahead.
void warmUpFonts() {}

}  // namespace tessaro
