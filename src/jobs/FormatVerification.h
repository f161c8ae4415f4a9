// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <optional>

#include "exec/HelperEvent.h"

namespace tessaro {

// What the helper read back from a drive after formatting it, as its result
// event (verb "format") tells it: the partition table, the partition, the
// file system, and whether that is what was asked.
struct FormatVerification {
  bool matches = false;
  QString table;          // "dos", or empty when none was found
  QString partitionType;  // "c" for FAT32 with LBA
  // In logical sectors; a figure of -1 was not found on the drive.
  qint64 partitionStart = 0;
  qint64 partitionSectors = 0;
  QString fileSystem;  // "FAT32"
  QString label;
  qint64 clusterBytes = 0;
  qint64 clusters = 0;
  qint64 dataAlignment = 0;  // bytes the data area is aligned to as asked; 0: it is not
  bool fsckClean = false;

  // None for another event, and for a format result with a member missing
  // or of another type, or a figure that is no whole number from -1.
  static std::optional<FormatVerification> fromEvent(const HelperEvent& event);
};

}  // namespace tessaro
