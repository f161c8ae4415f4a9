// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/PageWarmUp.h"

namespace tessaro {

// macOS has no call that puts a range's pages in place ahead of use.
void warmUpPages(const void*, std::size_t) {}

}  // namespace tessaro
