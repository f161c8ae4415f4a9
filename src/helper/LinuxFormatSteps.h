// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "drives/Fat32Layout.h"

namespace tessaro {

// One tool run of a Linux format: the program by its absolute path and its
// arguments, and what it reads on standard input (empty: nothing).
struct ToolStep {
  std::vector<std::string> command;
  std::string input;

  bool operator==(const ToolStep&) const = default;
};

// Everything the Linux format steps depend on, as the helper finds it on the
// disk just before running them.
struct LinuxFormatPlan {
  std::string diskPath;                     // /dev/sdb, /dev/loop0
  std::vector<std::string> mountedDevices;  // unmounted first, in this order
  std::vector<std::string> partitionPaths;  // their signatures are cleared before the disk's
  std::int64_t diskBytes = 0;
  int logicalSectorSize = 512;
  std::string volumeName;                      // as derived, not quoted
  std::optional<int> clusterBytes;             // none: mkfs.fat's default
  std::optional<std::int64_t> partitionBytes;  // none: to the end of the disk
  // tool name -> absolute path ("wipefs" -> "/usr/sbin/wipefs")
  std::map<std::string, std::string> tools;
};

// The tools the format steps and their read-back run, by name.
std::vector<std::string> linuxFormatToolNames();

// Unmounts each device, in the order given, from every place it is mounted
// (bind mounts too): one `umount --all-targets DEVICE` each, umount being the
// tool's absolute path. Format, check and capacity test unmount alike.
std::vector<ToolStep> linuxUnmountSteps(const std::string& umount,
                                        const std::vector<std::string>& mountedDevices);

// The writes up to the new partition: clear signatures (partitions, then the
// disk, in one wipefs), write a dos table with one type 0x0c partition from 1 MiB to the end
// or of the plan's partition size (sfdisk reads the script on standard input), make the kernel read
// it. wipefs and sfdisk take no lock of their own: the helper holds the disk's lock for the whole
// format (see DiskLock).
std::vector<ToolStep> linuxPartitionSteps(const LinuxFormatPlan& plan);

// The file system the plan makes (plannedFat32Layout with the cluster size
// formatClusterBytes gives).
Fat32Layout linuxFat32Layout(const LinuxFormatPlan& plan);

// What mkfs.fat is told for that layout, before the device: FAT32, the
// cluster size, reserved sectors and geometry in sectors, the partition's
// start in the disk's own logical sectors as the hidden sectors (mkfs.fat's
// own guess counts 512-byte units, eight times too many on a disk of
// 4096-byte sectors), the volume name.
// Nothing is left to mkfs.fat's own choice, so the layout is the planned one
// on any device (and on a file of its size and sector size).
std::vector<std::string> linuxMkfsArguments(const Fat32Layout& layout,
                                            const std::string& volumeName);

// mkfs.fat on the new partition with linuxMkfsArguments.
ToolStep linuxMkfsStep(const LinuxFormatPlan& plan);

// Lines the helper prints before the steps (a disk larger than the table can
// describe).
std::vector<std::string> linuxFormatNotes(const LinuxFormatPlan& plan);

}  // namespace tessaro
