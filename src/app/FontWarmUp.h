// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

namespace tessaro {

// Begins reading the system's font configuration on a thread of its own, so
// that the first window's fonts do not wait for it while Qt starts (Linux:
// fontconfig's configuration and caches, which Qt's font database reads
// first). Nothing where the platform has nothing to read ahead.
void warmUpFonts();

}  // namespace tessaro
