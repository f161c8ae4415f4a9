// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// Whether an identifier read from a disk tool's output may name a device:
// letters and digits only ("disk4", "disk4s1"). It ends up inside device
// paths and the macOS check's shell line, so an empty one, or one holding a
// slash, a blank or a shell character, counts as absent.
inline bool isDiskIdentifier(const QString& identifier) {
  if (identifier.isEmpty()) return false;
  for (const QChar c : identifier) {
    const char16_t u = c.unicode();
    if (!((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9'))) return false;
  }
  return true;
}

}  // namespace tessaro
