// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DriveSelection.h"

#include <algorithm>

namespace tessaro {

DriveSelection DriveSelection::follow(const std::optional<Drive>& previous,
                                      const QList<Drive>& drives,
                                      const QSet<QString>& removedNames) {
  if (!previous) return {drives.isEmpty() ? std::nullopt : std::optional(drives.first()), {}};
  if (!removedNames.contains(previous->bsdName)) {
    const auto same = std::find_if(drives.begin(), drives.end(), [&](const Drive& drive) {
      return drive.bsdName == previous->bsdName && drive.model == previous->model &&
             drive.size == previous->size;
    });
    if (same != drives.end()) return {*same, {}};
  }
  return {std::nullopt, previous};
}

}  // namespace tessaro
