// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/InfoFactsJson.h"

#include <tuple>

#include "drives/BlockDeviceJson.h"

namespace tessaro {

namespace {

using contract::Json;

const BlockDevice* findByName(const std::vector<BlockDevice>& known, const std::string& name) {
  for (const BlockDevice& device : known)
    if (device.name == name) return &device;
  return nullptr;
}

Json text(const std::string& value) { return value.empty() ? Json() : Json(value); }

Json bytes(std::int64_t value) { return value >= 1 ? Json(value) : Json(); }

std::string lowered(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

BlockDevice diskFromFacts(const DriveFacts::Disk& facts, const std::string& diskName) {
  BlockDevice disk;
  disk.name = diskName;
  disk.path = facts.deviceNode.value_or(std::string());
  disk.type = "disk";
  disk.size = facts.totalSize;
  disk.model = facts.model.value_or(std::string());
  disk.transport = lowered(facts.bus.value_or(std::string()));
  disk.removable = facts.removable;
  disk.hotplug = facts.ejectable;
  disk.logicalSectorSize = int(facts.deviceBlockSize);
  return disk;
}

// lsblk's FSTYPE and FSVER for the report's file system name ("MS-DOS
// (FAT32)", "ExFAT"), where lsblk had no word for it (no udev database).
std::pair<std::string, std::string> lsblkFilesystem(const std::string& reported) {
  static const std::string fat = "MS-DOS (";
  if (reported.starts_with(fat) && reported.ends_with(')')) {
    const std::string version = reported.substr(fat.size(), reported.size() - fat.size() - 1);
    return {"vfat", version == "FAT" ? std::string() : version};
  }
  return {lowered(reported), std::string()};
}

}  // namespace

Json InfoFactsJson::object(const DriveFacts& shown, const std::string& diskName,
                           const std::vector<BlockDevice>& known, const Wording& wording) {
  const BlockDevice* listed = findByName(known, diskName);
  const BlockDevice disk = listed ? *listed : diskFromFacts(shown.disk, diskName);
  Json object = Json::Object{{"disk", BlockDeviceJson::object(disk, wording)}, {"partition", {}}};
  const std::optional<DriveFacts::Partition>& partition = shown.partition;
  if (!partition) return object;

  const std::string node = partition->deviceNode.value_or(std::string());
  const std::string name = node.substr(node.rfind('/') + 1);
  const BlockDevice* record = name.empty() ? nullptr : findByName(known, name);
  const BlockDevice lsblk = record ? *record : BlockDevice{};
  std::string fstype = lsblk.fstype, fsver = lsblk.fsver;
  if (fstype.empty() && partition->filesystem)
    std::tie(fstype, fsver) = lsblkFilesystem(*partition->filesystem);
  object.set("partition", Json::Object{
                              {"name", text(name)},
                              {"path", text(node)},
                              {"size", bytes(lsblk.size)},
                              {"fstype", text(fstype)},
                              {"fsver", text(fsver)},
                              {"label", text(partition->volumeName.value_or(lsblk.label))},
                              {"mountpoint", text(partition->mountPoint.value_or(std::string()))},
                              {"cluster-size", bytes(partition->filesystemBlockSize)},
                          });
  return object;
}

}  // namespace tessaro
