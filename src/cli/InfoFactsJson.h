// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <vector>

#include "contract/Json.h"
#include "drives/BlockDevice.h"
#include "drives/DriveFacts.h"
#include "drives/Wording.h"

namespace tessaro {

// `tessaro-cli info --json`: {"disk": ..., "partition": ...}. The disk is the
// object `list --json` has for it (BlockDeviceJson), from lsblk's record
// among known, else from the report's facts. The partition, null without
// one, holds name, path, size, fstype, fsver, label, mountpoint (null when
// not mounted) and cluster-size (bytes): what lsblk knows of it, with the
// volume name, mount point and cluster size the helper read from the disk.
class InfoFactsJson {
 public:
  // The facts as the info job tells them (DriveFacts::ofDisk); the disk's
  // reason in wording's language.
  static contract::Json object(const DriveFacts& facts, const std::string& diskName,
                               const std::vector<BlockDevice>& known, const Wording& wording);
};

}  // namespace tessaro
