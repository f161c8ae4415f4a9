// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>

#include "drives/Drive.h"

namespace tessaro {

// The drive records of `tessaro-cli list --json`: the Drive fields under
// their own names, the size in bytes as a JSON number.
class DriveJson {
 public:
  static QJsonObject object(const Drive& drive);
  // An indented array, one object per drive, in list order; "[]" when empty.
  static QByteArray array(const QList<Drive>& drives);
};

}  // namespace tessaro
