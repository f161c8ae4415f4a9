// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "drives/DevicePaths.h"

namespace tessaro {

// The partition part of DriveFacts. It stands outside DriveFacts so that it is
// complete, default member initializers and all, where std::optional of it is
// first used: clang 14 does not yet count a nested struct with them as
// default-constructible there.
struct DrivePartitionFacts {
  std::optional<QString> deviceNode;
  std::optional<QString> volumeName;
  std::optional<QString> filesystem;
  std::optional<QString> mountPoint;  // none: not mounted
  qint64 filesystemBlockSize = 0;
  bool operator==(const DrivePartitionFacts&) const = default;
};

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
  using Partition = DrivePartitionFacts;

  Disk disk;
  std::optional<Partition> partition;  // none: the report covers the disk only
  bool operator==(const DriveFacts&) const = default;

  // The facts of the disk diskName as Tessaro tells them: those read (none:
  // nothing more is known of it), with the disk's own path as its device
  // node where that was reported empty or not at all.
  static DriveFacts ofDisk(const std::optional<DriveFacts>& read, const QString& diskName) {
    DriveFacts facts = read.value_or(DriveFacts{});
    if (facts.disk.deviceNode.value_or(QString()).isEmpty())
      facts.disk.deviceNode = devicePathOf(diskName);
    return facts;
  }
};

}  // namespace tessaro
