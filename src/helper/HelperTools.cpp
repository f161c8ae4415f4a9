// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/HelperTools.h"

namespace tessaro::helper {

HelperTools::HelperTools(const QStringList& names, const QStringList& directories) : names_(names) {
  for (const QString& name : names) {
    const QString path = systemToolPath(name, directories);
    if (!path.isEmpty()) paths_.insert(name, path);
  }
}

QStringList HelperTools::missingLines() const {
  QStringList lines;
  const auto found = [this](const QString& name) { return paths_.contains(name); };
  for (const MissingTools& missing : missingOf(names_, found)) lines << missing.refusal();
  return lines;
}

QStringList HelperTools::missing() const {
  QStringList names;
  for (const QString& name : names_)
    if (!paths_.contains(name)) names << name;
  return names;
}

}  // namespace tessaro::helper
