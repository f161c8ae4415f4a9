// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/info/LinuxDriveFacts.h"

#include <cstdint>

#include "drives/linux/LinuxDiskRules.h"

namespace tessaro {
namespace {

// Whether the UTF-8 character that ends (or begins) text at its end (or
// start) is white space as Unicode has it; its length in bytes, 0 if not.
std::size_t spaceAt(std::string_view text, bool atEnd) {
  for (const std::string_view space :
       {" ", "\t", "\n", "\v", "\f", "\r", "\xC2\x85", "\xC2\xA0", "\xE1\x9A\x80", "\xE2\x80\x80",
        "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85",
        "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A",
        "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"}) {
    if (atEnd ? text.ends_with(space) : text.starts_with(space)) return space.size();
  }
  return 0;
}

// text without white space at either end; none when nothing is left.
std::optional<std::string> unlessEmpty(std::string_view text) {
  while (const std::size_t length = spaceAt(text, false)) text.remove_prefix(length);
  while (const std::size_t length = spaceAt(text, true)) text.remove_suffix(length);
  if (text.empty()) return std::nullopt;
  return std::string(text);
}

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

std::string asciiCase(std::string text, bool upper) {
  for (char& c : text) {
    if (upper && c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return text;
}

std::string valueOf(const std::map<std::string, std::string>& values, const std::string& key) {
  const auto found = values.find(key);
  return found == values.end() ? std::string() : found->second;
}

}  // namespace

std::string busProtocolName(const std::string& linuxBus, const std::string& deviceType) {
  if (deviceType == "loop") return "Disk Image";
  static const std::map<std::string, std::string> names{
      {"usb", "USB"},   {"sd", "SD"},   {"firewire", "FireWire"}, {"thunderbolt", "Thunderbolt"},
      {"sata", "SATA"}, {"ata", "ATA"}, {"nvme", "PCI-Express"},  {"sas", "SAS"},
      {"iscsi", "iSCSI"},
  };
  const auto found = names.find(asciiCase(linuxBus, false));
  return found == names.end() ? asciiCase(linuxBus, true) : found->second;
}

DriveFacts::Disk linuxDiskFacts(const LsblkDevice& disk, const std::string& sysfsRoot) {
  const DiskPlacement placement = linuxPlacement(disk, sysfsRoot);
  DriveFacts::Disk facts;
  facts.deviceNode = unlessEmpty(disk.path);
  facts.model = unlessEmpty(disk.model);
  if (!facts.model) facts.model = unlessEmpty(linuxModel(disk, sysfsRoot));
  facts.bus = unlessEmpty(
      busProtocolName(placement.bus, unlessEmpty(disk.type).value_or(std::string())));
  facts.removable = placement.removable;
  facts.ejectable = placement.ejectable || disk.hotplug;
  facts.wholeDisk = true;
  // diskutil names a whole disk as its own parent; so does the report.
  facts.parentWholeDisk = unlessEmpty(disk.name);
  if (disk.logicalSectorSizeReported && disk.logicalSectorSize)
    facts.deviceBlockSize = *disk.logicalSectorSize;
  facts.totalSize = disk.size;
  return facts;
}

std::map<std::string, std::string> parseBlkidExport(std::string_view text) {
  std::map<std::string, std::string> values;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    std::string value;
    const std::string_view escaped = line.substr(equals + 1);
    for (std::size_t i = 0; i < escaped.size(); ++i) {
      if (escaped[i] == '\\' && i + 1 < escaped.size()) ++i;
      value += escaped[i];
    }
    values[std::string(line.substr(0, equals))] = value;
  }
  return values;
}

std::string filesystemName(const std::string& blkidType, const std::string& blkidVersion) {
  if (blkidType == "vfat" || blkidType == "msdos")
    return "MS-DOS (" + (blkidVersion.empty() ? std::string("FAT") : blkidVersion) + ')';
  if (blkidType == "exfat") return "ExFAT";
  if (blkidType == "ntfs") return "NTFS";
  return blkidType;
}

std::optional<int> fatClusterBytes(std::string_view bootSector) {
  if (bootSector.size() < 512) return std::nullopt;
  const auto byte = [&](std::size_t at) { return std::uint8_t(bootSector[at]); };
  if (byte(510) != 0x55 || byte(511) != 0xAA) return std::nullopt;
  const int bytesPerSector = byte(11) | byte(12) << 8;
  const int sectorsPerCluster = byte(13);
  if (bytesPerSector < 512 || bytesPerSector > 4096 || !isPowerOfTwo(bytesPerSector) ||
      !isPowerOfTwo(sectorsPerCluster)) {
    return std::nullopt;
  }
  return bytesPerSector * sectorsPerCluster;
}

DriveFacts::Partition linuxPartitionFacts(const LsblkDevice& partition,
                                          const std::map<std::string, std::string>& blkid,
                                          std::string_view bootSector) {
  DriveFacts::Partition facts;
  facts.deviceNode = unlessEmpty(partition.path);
  const std::string type = valueOf(blkid, "TYPE");
  if (const std::string label = valueOf(blkid, "LABEL"); !label.empty()) facts.volumeName = label;
  if (const std::string name = filesystemName(type, valueOf(blkid, "VERSION")); !name.empty())
    facts.filesystem = name;
  for (const std::string& mountpoint : partition.mountpoints) {
    if (mountpoint.starts_with('/')) {
      facts.mountPoint = mountpoint;
      break;
    }
  }
  if (type == "vfat") {
    if (auto cluster = fatClusterBytes(bootSector)) facts.filesystemBlockSize = *cluster;
  }
  return facts;
}

}  // namespace tessaro
