// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/VolumeName.h"

namespace tessaro {

QString deriveVolumeName(const QString& label) {
  if (label.trimmed().isEmpty()) return QStringLiteral("UNTITLED");
  return label.toUpper();
}

}  // namespace tessaro
