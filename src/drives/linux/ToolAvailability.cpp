// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/ToolAvailability.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace tessaro {

namespace {

struct PackageTools {
  std::vector<std::string> tools;
  std::string package;
  bool required;
  // Only a caller without root rights runs it.
  bool needsElevation;
  // Looked for before anything starts; udevadm only helps the helper where
  // udev runs, and nothing is said when it is not there.
  bool checkedAtStart;
};

const std::vector<PackageTools>& linuxPackages() {
  static const std::vector<PackageTools> packages = {
      {{"lsblk", "findmnt", "wipefs", "partx", "blkid"}, "util-linux", true, false, true},
      {{"sfdisk"}, "fdisk", true, false, true},
      {{"mkfs.fat", "fsck.fat"}, "dosfstools", true, false, true},
      {{"umount"}, "mount", true, false, true},
      {{"udevadm"}, "udev", false, false, false},
      {{"pkexec"}, "pkexec", true, true, true},
      {{"udisksctl"}, "udisks2", false, false, true},
  };
  return packages;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::string MissingTools::refusal() const {
  // "a, b and c".
  std::string named;
  for (std::size_t i = 0; i < tools.size(); ++i) {
    if (i > 0) named += i + 1 == tools.size() ? " and " : ", ";
    named += tools[i];
  }
  return "Refused: " + named + (tools.size() == 1 ? " is" : " are") +
         " not installed: install " + package + "; nothing was written.";
}

std::vector<std::string> systemToolDirectories() { return {"/usr/sbin", "/usr/bin", "/sbin", "/bin"}; }

std::string systemToolPath(const std::string& tool, const std::vector<std::string>& directories) {
  // A bare name only: never a path that leads somewhere else.
  if (tool.empty() || tool.find('/') != std::string::npos) return {};
  for (const std::string& directory : directories) {
    const std::string candidate = directory + '/' + tool;
    struct stat info {};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

bool isToolInstalled(const std::string& tool) { return !systemToolPath(tool).empty(); }

std::string packageOf(const std::string& tool) {
  for (const PackageTools& entry : linuxPackages())
    if (contains(entry.tools, tool)) return entry.package;
  return tool;
}

std::vector<std::string> allToolNames() {
  std::vector<std::string> names;
  for (const PackageTools& entry : linuxPackages())
    names.insert(names.end(), entry.tools.begin(), entry.tools.end());
  return names;
}

std::vector<MissingTools> missingOf(const std::vector<std::string>& tools,
                                    const ToolProbe& isAvailable) {
  std::vector<MissingTools> missing;
  for (const PackageTools& entry : linuxPackages()) {
    std::vector<std::string> absent;
    for (const std::string& tool : entry.tools)
      if (contains(tools, tool) && !isAvailable(tool)) absent.push_back(tool);
    if (!absent.empty()) missing.push_back({absent, entry.package, entry.required});
  }
  // A program the table does not know is its own package.
  const std::vector<std::string> known = allToolNames();
  for (const std::string& tool : tools) {
    if (!contains(known, tool) && !isAvailable(tool)) missing.push_back({{tool}, tool, true});
  }
  return missing;
}

std::vector<MissingTools> findMissingTools(const ToolProbe& isAvailable, bool runsAsRoot) {
  std::vector<std::string> needed;
  for (const PackageTools& entry : linuxPackages()) {
    if (!entry.checkedAtStart || (entry.needsElevation && runsAsRoot)) continue;
    needed.insert(needed.end(), entry.tools.begin(), entry.tools.end());
  }
  return missingOf(needed, isAvailable);
}

}  // namespace tessaro
