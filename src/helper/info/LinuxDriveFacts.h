// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "drives/DriveFacts.h"
#include "drives/linux/LsblkDevice.h"

namespace tessaro {

// The Linux side of the drive information report: the facts of a disk and its
// partition, made from lsblk, sysfs, blkid and the file system's boot sector.

// The bus as users know it: "USB", "SD", "FireWire", "Thunderbolt", "SATA",
// "PCI-Express"; "Disk Image" for a loop device; empty when unknown.
std::string busProtocolName(const std::string& linuxBus, const std::string& deviceType);

// The whole disk. Texts that are unknown are none; the model is lsblk's, or
// else vendor and model as discovery shows them.
DriveFacts::Disk linuxDiskFacts(const LsblkDevice& disk, const std::string& sysfsRoot);

// "blkid -p -o export" output as keys and values, its backslash escapes undone.
std::map<std::string, std::string> parseBlkidExport(std::string_view text);

// The file system's name as diskutil gives it: "MS-DOS (FAT32)" for vfat with
// FAT32, and so on; the type itself for others; empty without a file system.
std::string filesystemName(const std::string& blkidType, const std::string& blkidVersion);

// Bytes per cluster from a FAT boot sector (bytes per sector times sectors per
// cluster); none when the sector is not a FAT boot sector.
std::optional<int> fatClusterBytes(std::string_view bootSector);

// The partition: its label and file system from blkid, its first mount
// point, and for FAT the cluster size from its boot sector.
DriveFacts::Partition linuxPartitionFacts(const LsblkDevice& partition,
                                          const std::map<std::string, std::string>& blkid,
                                          std::string_view bootSector);

}  // namespace tessaro
