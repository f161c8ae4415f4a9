// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>
#include <QString>
#include <vector>

#include "drives/BlockDevice.h"
#include "drives/DriveFacts.h"

namespace tessaro {

// `tessaro-cli info --json`: {"disk": ..., "partition": ...}. The disk is the
// object `list --json` has for it (BlockDeviceJson), from lsblk's record
// among known, else from the report's facts. The partition, null without
// one, holds name, path, size, fstype, fsver, label, mountpoint (null when
// not mounted) and cluster-size (bytes): what lsblk knows of it, with the
// volume name, mount point and cluster size the helper read from the disk.
class InfoFactsJson {
 public:
  // The facts as the info job tells them (DriveFacts::ofDisk).
  static QJsonObject object(const DriveFacts& facts, const QString& diskName,
                            const std::vector<BlockDevice>& known);
};

}  // namespace tessaro
