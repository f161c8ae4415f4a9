// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QHash>
#include <QString>
#include <QUuid>
#include <functional>

namespace tessaro {

// One attached external or removable drive, as discovery found it.
struct Drive {
  QUuid id;             // new for every record: two refreshes never give equal records
  QString bsdName;      // kernel name without "/dev/" (sdb, mmcblk0; disk4 on macOS)
  QString devicePath;   // "/dev/" + bsdName
  QString description;  // the picker's text: "<size> <model> (<bsdName>)"
  QString model;        // may be empty
  bool isSystem = false;
  qint64 size = 0;  // bytes; 0 when unknown

  bool operator==(const Drive&) const = default;
};

}  // namespace tessaro
