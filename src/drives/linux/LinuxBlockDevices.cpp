// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxBlockDevices.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

namespace tessaro {

namespace {

// Letters, digits and ".-_" as they are, a run of anything else (a blank, a
// character beyond ASCII) as one "_".
std::string idWord(const std::string& text) {
  std::string word;
  for (const char c : trimmed(text)) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    if (plain)
      word += c;
    else if (word.empty() || word.back() != '_')
      word += '_';
  }
  return word;
}

// For each kernel name that a link of byIdDir points at, the first such
// link by name.
std::map<std::string, std::string> byIdNames(const std::string& byIdDir) {
  std::error_code error;
  std::vector<std::filesystem::path> links;
  for (const auto& entry : std::filesystem::directory_iterator(byIdDir, error))
    if (entry.is_symlink(error)) links.push_back(entry.path());
  std::sort(links.begin(), links.end());
  std::map<std::string, std::string> names;
  for (const std::filesystem::path& link : links) {
    const std::filesystem::path target = std::filesystem::read_symlink(link, error);
    if (!error) names.emplace(target.filename().string(), link.filename().string());
  }
  return names;
}

// What identifies a whole disk across runs: "wwn-<WWN>", else
// "<bus>-<model>_<serial>" with blanks as "_", else its by-id name; empty
// when nothing does. For any other device, its by-id name or empty.
std::string stableId(const LsblkDevice& device, const std::string& sysfsRoot,
                     const std::map<std::string, std::string>& byId) {
  if (device.type == "disk") {
    const std::string wwn = idWord(device.wwn);
    if (!wwn.empty()) return "wwn-" + wwn;
    const std::string serial = idWord(device.serial);
    if (!serial.empty()) {
      const std::string bus = linuxBus(device, sysfsRoot);
      const std::string model = idWord(linuxModel(device, sysfsRoot));
      return (bus.empty() ? "disk" : bus) + '-' + (model.empty() ? serial : model + '_' + serial);
    }
  }
  const auto named = byId.find(device.name);
  return named == byId.end() ? std::string() : named->second;
}

void flatten(const LsblkDevice& device, const LsblkDevice* above, const std::string& sysfsRoot,
             const std::map<std::string, std::string>& byId, std::set<std::string>& seen, std::vector<BlockDevice>& into) {
  if (!device.name.empty() && seen.insert(device.name).second) {
    BlockDevice shown;
    shown.name = device.name;
    shown.path = device.path.empty() ? "/dev/" + device.name : device.path;
    shown.parent = above ? above->name : std::string();
    shown.type = device.type;
    shown.id = stableId(device, sysfsRoot, byId);
    shown.size = device.size;
    shown.model = trimmed(device.model);
    shown.vendor = trimmed(device.vendor);
    if (device.type == "disk") {
      shown.product = linuxModel(device, sysfsRoot);
      if (shown.model.empty()) shown.model = shown.product;
    }
    shown.serial = trimmed(device.serial);
    shown.transport = device.transport;
    shown.removable = device.removable;
    shown.hotplug = device.hotplug;
    shown.readOnly = device.readOnly;
    shown.logicalSectorSize = device.logicalSectorSize.value_or(0);
    shown.fstype = device.fstype;
    shown.fsver = device.fsver;
    shown.label = device.label;
    for (const std::string& mountpoint : device.mountpoints)
      if (!mountpoint.empty()) shown.mountpoints.push_back(mountpoint);
    if (!above)
      shown.reason = linuxNotOfferedReason(device, sysfsRoot);
    else if (device.type == "part")
      shown.reason = NotOfferedReason(NotOfferedReason::Kind::partition, above->name);
    else
      shown.reason = NotOfferedReason(NotOfferedReason::Kind::volume, above->name);
    into.push_back(std::move(shown));
  }
  for (const LsblkDevice& child : device.children)
    flatten(child, &device, sysfsRoot, byId, seen, into);
}

}  // namespace

std::vector<BlockDevice> linuxBlockDevices(const std::vector<LsblkDevice>& tree,
                                           const std::string& sysfsRoot,
                                           const std::string& byIdDir) {
  const std::map<std::string, std::string> byId = byIdNames(byIdDir);
  std::vector<BlockDevice> devices;
  std::set<std::string> seen;
  for (const LsblkDevice& device : tree) flatten(device, nullptr, sysfsRoot, byId, seen, devices);
  return devices;
}

}  // namespace tessaro
