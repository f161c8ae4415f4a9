// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

#include "drives/ProbeProgress.h"

namespace tessaro {

// "42 %, about 3 min left", "97 %, about 5 s left", "3 %", with the speed
// where it is known ("42 %, about 3 min left (35.2 MB/s)"), in the user's language, as the
// window's progress bar and tessaro-cli's progress line show it.
QString probeProgressText(const ProbeProgress& progress);

}  // namespace tessaro
