// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/KernelDevice.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "contract/HelperContract.h"
#include "drives/linux/DeviceNumber.h"
#include "drives/linux/KernelFile.h"
#include "exec/VisibleText.h"

namespace tessaro::helper {

namespace {

StopReason unreadable(const std::string& path, int error) {
  return {HelperContract::toolFailed, "Failed: " + KernelFile::failure(path, error) + '.'};
}

StopReason noSuchDevice(const std::string& name) {
  return {HelperContract::noSuchDevice, "Refused: there is no block device named " + name + '.'};
}

// The number of a block node that is itself a block node (lstat: a link to
// one does not count); 0 when it is none. None with why when it cannot be
// looked at.
std::optional<dev_t> nodeNumber(const std::string& path, StopReason* why) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return dev_t(0);
    *why = unreadable(path, errno);
    return std::nullopt;
  }
  return S_ISBLK(info.st_mode) ? info.st_rdev : dev_t(0);
}

// The name of the directory sysfs keeps a partition's disk in; none with why.
std::optional<std::string> diskDirectoryName(const std::string& sysEntry, StopReason* why) {
  const KernelFile::Bytes real = KernelFile::resolve(sysEntry);
  if (real.error != 0) {
    *why = real.error == ENOENT ? StopReason{HelperContract::noSuchDevice, std::string()}
                                : unreadable(sysEntry, real.error);
    return std::nullopt;
  }
  const std::string path = real.bytes.substr(0, real.bytes.rfind('/'));
  return path.substr(path.rfind('/') + 1);
}

}  // namespace

std::optional<dev_t> sysfsDeviceNumber(const std::string& sysRoot, const std::string& name,
                                       StopReason* why) {
  const std::string path = sysRoot + "/class/block/" + name + "/dev";
  const KernelFile::Bytes text = KernelFile::read(path, 64);
  if (text.error == ENOENT) {
    *why = noSuchDevice(name);
    return std::nullopt;
  }
  if (text.error != 0) {
    *why = unreadable(path, text.error);
    return std::nullopt;
  }
  std::string_view number = text.bytes;
  if (!number.empty() && number.back() == '\n') number.remove_suffix(1);
  const std::optional<dev_t> parsed = parseDeviceNumber(number);
  if (!parsed || *parsed == 0) {
    *why = {HelperContract::toolFailed, "Failed: " + path + " holds no device number."};
    return std::nullopt;
  }
  return parsed;
}

bool KernelDevice::hasKernelNameShape(std::string_view name) {
  // [a-z][a-z0-9]{0,31}, read by hand as every run reads a few names.
  const auto lowerLetter = [](char c) { return c >= 'a' && c <= 'z'; };
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (name.empty() || name.size() > 32 || !lowerLetter(name.front())) return false;
  return std::all_of(name.begin(), name.end(), [&](char c) { return lowerLetter(c) || digit(c); });
}

KernelDevice KernelDevice::find(const std::string& name, StopReason* why,
                                const std::string& sysRoot, const std::string& devRoot) {
  KernelDevice device;
  if (!hasKernelNameShape(name)) {
    *why = {HelperContract::usage,
            "Refused: \"" + visibleText(name, LineFeeds::escape) + "\" is not a kernel device name (such as sdb or sdb1)."};
    return device;
  }
  const std::optional<dev_t> number = sysfsDeviceNumber(sysRoot, name, why);
  if (!number) return device;
  const std::string path = devRoot + '/' + name;
  const std::optional<dev_t> node = nodeNumber(path, why);
  if (!node) return device;
  if (*node != *number) {
    *why = {HelperContract::refusedDevice,
            "Refused: " + path + " is not the block device the kernel calls " + name + "."};
    return device;
  }
  // A partition's sysfs directory lies inside its disk's.
  const std::string sysEntry = sysRoot + "/class/block/" + name;
  const std::string partitionFile = sysEntry + "/partition";
  const int partition = KernelFile::find(partitionFile);
  if (partition != 0 && partition != ENOENT) {
    *why = unreadable(partitionFile, partition);
    return device;
  }
  std::string diskName = name;
  if (partition == 0) {
    const std::optional<std::string> disk = diskDirectoryName(sysEntry, why);
    if (!disk) {
      if (why->status == HelperContract::noSuchDevice) *why = noSuchDevice(name);
      return device;
    }
    if (!hasKernelNameShape(*disk)) {
      *why = {HelperContract::refusedDevice,
              "Refused: sysfs keeps " + name + " in no disk's directory."};
      return device;
    }
    if (!sysfsDeviceNumber(sysRoot, *disk, why)) return device;
    diskName = *disk;
  }
  device.name_ = name;
  device.path_ = path;
  device.diskName_ = diskName;
  device.number_ = *number;
  return device;
}

std::optional<StopReason> KernelDevice::change(const std::string& sysRoot,
                                               const std::string& devRoot) const {
  const StopReason replaced{HelperContract::deviceChanged,
                            "Stopped: " + path_ +
                                " is no longer the drive that was checked (it was "
                                "removed or replaced)."};
  if (!isValid()) return replaced;
  StopReason why;
  const std::optional<dev_t> number = sysfsDeviceNumber(sysRoot, name_, &why);
  if (!number && why.status == HelperContract::noSuchDevice) {
    return StopReason{HelperContract::noSuchDevice,
                      "Stopped: " + path_ + " is no longer attached."};
  }
  if (!number) return why;
  if (*number != number_) return replaced;
  const std::optional<dev_t> node = nodeNumber(devRoot + '/' + name_, &why);
  if (!node) return why;
  if (*node != number_) return replaced;
  if (!isPartition()) return std::nullopt;
  const std::optional<std::string> disk = diskDirectoryName(sysRoot + "/class/block/" + name_, &why);
  if (!disk) return why.status == HelperContract::noSuchDevice ? replaced : why;
  if (*disk != diskName_) return replaced;
  return std::nullopt;
}

}  // namespace tessaro::helper
