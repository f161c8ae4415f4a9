// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/HelperTools.h"

namespace tessaro::helper {

HelperTools::HelperTools(const std::vector<std::string>& names,
                         const std::vector<std::string>& directories)
    : names_(names) {
  for (const std::string& name : names) {
    const std::string found = systemToolPath(name, directories);
    if (!found.empty()) paths_.emplace(name, found);
  }
}

std::string HelperTools::path(const std::string& name) const {
  const auto found = paths_.find(name);
  return found == paths_.end() ? std::string() : found->second;
}

std::vector<std::string> HelperTools::missingLines() const {
  std::vector<std::string> lines;
  const auto found = [this](const std::string& name) { return paths_.contains(name); };
  for (const MissingTools& missing : missingOf(names_, found)) lines.push_back(missing.refusal());
  return lines;
}

std::vector<std::string> HelperTools::missing() const {
  std::vector<std::string> names;
  for (const std::string& name : names_)
    if (!paths_.contains(name)) names.push_back(name);
  return names;
}

}  // namespace tessaro::helper
