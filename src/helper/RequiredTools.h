// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "helper/HelperTools.h"

namespace tessaro::helper {

// Prints the lines of missing tools and stops with toolMissing when there are any.
void requireTools(const HelperTools& tools);

}  // namespace tessaro::helper
