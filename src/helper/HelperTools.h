// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <map>
#include <string>
#include <vector>

#include "drives/linux/ToolAvailability.h"

namespace tessaro::helper {

// The programs one verb runs, each found by name in the system's own
// directories (systemToolDirectories) when the verb starts: never through
// PATH, whatever the caller's environment says.
class HelperTools {
 public:
  explicit HelperTools(const std::vector<std::string>& names,
                       const std::vector<std::string>& directories = systemToolDirectories());

  // The absolute path of a tool that was found; empty otherwise.
  std::string path(const std::string& name) const;
  // Tool name -> absolute path, of every tool that was found.
  const std::map<std::string, std::string>& paths() const { return paths_; }

  // One line per Debian package with tools that were not found, such as
  // "Refused: mkfs.fat and fsck.fat are not installed: install dosfstools;
  // nothing was written."; empty when everything is there.
  std::vector<std::string> missingLines() const;
  // The names of the tools that were not found, in the order asked for.
  std::vector<std::string> missing() const;

 private:
  std::vector<std::string> names_;
  std::map<std::string, std::string> paths_;
};

}  // namespace tessaro::helper
