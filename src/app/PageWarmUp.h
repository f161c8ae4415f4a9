// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstddef>

namespace tessaro {

// Has the kernel put the pages of bytes at begin in place on a thread of its
// own, in one call, where a first write would fault them in one at a time
// (Linux: MADV_POPULATE_WRITE). The pages are put in place, never written,
// so nothing is lost if the memory has gone by then or the kernel cannot.
// Nothing where the platform has no such call.
void warmUpPages(const void* begin, std::size_t bytes);

}  // namespace tessaro
