// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>

#include "drives/Drive.h"
#include "drives/ProbeResult.h"

namespace tessaro {

// What `tessaro-cli probe --json` prints, in lsblk's key style (lower case,
// words joined by "-"): the drive, the verdict (genuine, counterfeit,
// damaged or failed), the mode (quick or full), the sentence a person reads
// (in English), the sizes in bytes, the regions that did not hold and those
// that did around them, how a failed drive failed and after how many bytes,
// the samples by what they read back as, the requests the drive failed, the
// bytes written and read, the seconds taken, the lying write cache found and
// the largest one ruled out, and the sequential speeds in bytes per second.
class ProbeResultJson {
 public:
  static QJsonObject object(const ProbeResult& result, const Drive& drive);
};

}  // namespace tessaro
