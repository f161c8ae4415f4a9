// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <optional>

#include "drives/Drive.h"

namespace tessaro {

// Where the selection goes when the drive list was rebuilt because devices
// came or went: it stays on the same drive while that drive stays attached.
struct DriveSelection {
  // The new list's record of the selected drive; the first drive when none was
  // selected; none when the selected drive is gone.
  std::optional<Drive> selected;
  // The selected drive, when it is gone.
  std::optional<Drive> removed;

  // A drive is the same when its kernel name, model and size are, and no
  // device of that name was removed in between (a stick swapped for another
  // of the same kind gets the same name).
  static DriveSelection follow(const std::optional<Drive>& previous, const QList<Drive>& drives,
                               const QSet<QString>& removedNames);
};

}  // namespace tessaro
