// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>

#include "drives/Drive.h"
#include "drives/ProbeResult.h"

namespace tessaro {

// What `tessaro-cli probe --json` prints: the drive, the verdict ("genuine"
// or "counterfeit"), the sizes in bytes (firstBadOffset null for a genuine
// drive) and the samples by what they read back as.
class ProbeResultJson {
 public:
  static QJsonObject object(const ProbeResult& result, const Drive& drive);
};

}  // namespace tessaro
