// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>

#include "drives/Drive.h"
#include "drives/ProbeResult.h"

namespace tessaro {

// What `tessaro-cli probe --json` prints: the drive, the verdict ("genuine"
// or "counterfeit"), the sizes in bytes (firstBadOffset null for a genuine
// drive), the samples by what they read back as, the bytes written and read,
// the seconds taken, the lying write cache found (cacheBytes, 0 for none) and
// the sequential write and read speeds in bytes per second.
class ProbeResultJson {
 public:
  static QJsonObject object(const ProbeResult& result, const Drive& drive);
};

}  // namespace tessaro
