// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace tessaro {

// What the drive information report shows about a disk and its partition,
// read on Linux from the helper's JSON (DriveFactsJson) and on macOS from
// diskutil's property lists. A text that was not reported is none; a size
// that was not reported is 0.
struct DriveFacts {
  struct Disk {
    std::optional<QString> deviceNode;
    std::optional<QString> model;
    std::optional<QString> bus;
    bool removable = false;
    bool ejectable = false;
    bool wholeDisk = false;
    std::optional<QString> parentWholeDisk;
    qint64 deviceBlockSize = 0;
    qint64 totalSize = 0;
    bool operator==(const Disk&) const = default;
  };
  struct Partition {
    std::optional<QString> deviceNode;
    std::optional<QString> volumeName;
    std::optional<QString> filesystem;
    std::optional<QString> mountPoint;  // none: not mounted
    qint64 filesystemBlockSize = 0;
    bool operator==(const Partition&) const = default;
  };

  Disk disk;
  std::optional<Partition> partition;  // none: the report covers the disk only
  bool operator==(const DriveFacts&) const = default;
};

}  // namespace tessaro
