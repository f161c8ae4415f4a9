// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>
#include <QStringList>

#include "drives/BlockDevice.h"

namespace tessaro {

// `tessaro-cli list` as a table, one device a line, each column meaning one
// thing: NAME (the kernel name), SIZE (in the user's numbers, "0 B" for
// none), TYPE (lsblk's: disk, part, loop, ...), TRAN (the bus, empty when
// none), MODEL (vendor and model, empty when none) and, with reasons, REASON
// (why it is not offered, empty when it is). The header line names them,
// unless left out. Aligned, the columns are padded with blanks for a person
// to read; otherwise they are separated by one tab each, so that
// `cut -f` and `awk -F'\t'` read them, empty ones included. No field holds a
// tab or a line feed (visible escapes stand for them).
class DeviceTable {
 public:
  struct Shape {
    bool reasons = false;
    bool header = true;
    bool aligned = false;
  };
  static QStringList lines(const std::vector<BlockDevice>& devices, Shape shape);
};

}  // namespace tessaro
