// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxDiskRules.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "drives/linux/KernelFile.h"

namespace tessaro {

namespace {

// (Names and paths are matched by hand: compiling a regular expression
// costs more than the root helper's whole guard.)

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f'); }

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

// text holds one or more digits from at to its end.
bool digitsFrom(const std::string& text, std::size_t at) {
  return at < text.size() && std::all_of(text.begin() + std::ptrdiff_t(at), text.end(), isDigit);
}

// An attribute's text without the blanks around it; empty when it cannot be read.
std::string readSysfs(const std::string& path) {
  const KernelFile::Bytes file = KernelFile::read(path, 4096);
  return file.error == 0 ? trimmed(file.bytes) : std::string();
}

// path with every link followed; empty when there is nothing there.
std::string canonical(const std::string& path) {
  const KernelFile::Bytes real = KernelFile::resolve(path);
  return real.error == 0 ? real.bytes : std::string();
}

std::string fileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string parentPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool isUserMediaMount(const std::string& mountpoint) {
  for (const std::string root : {"/media", "/run/media"})
    if (mountpoint == root || startsWith(mountpoint, root + '/')) return true;
  return false;
}

bool isStackMember(const LsblkDevice& device) {
  const std::string& fstype = device.fstype;
  for (const char* member :
       {"swap", "LVM2_member", "crypto_LUKS", "linux_raid_member", "zfs_member", "bcache"})
    if (fstype == member) return true;
  if (endsWith(fstype, "_raid_member")) return true;
  const std::string& type = device.type;
  return type == "lvm" || type == "crypt" || startsWith(type, "raid") || type == "md" ||
         type == "dm" || type == "mpath";
}

// A PCI address: dddd:bb:dd.f in lower-case hex.
bool isPciAddress(const std::string& name) {
  if (name.size() != 12) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char expected = i == 4 || i == 7 ? ':' : i == 10 ? '.' : '\0';
    if (expected ? name[i] != expected : !isHexDigit(name[i])) return false;
  }
  return true;
}

// Devices behind Thunderbolt and USB4 ports have a PCI parent the kernel
// marks "removable"; built-in PCI devices say "fixed" or "unknown".
bool hasRemovablePciParent(std::string path, const std::string& sysfsRoot) {
  const std::string devices = canonical(sysfsRoot + "/devices");
  if (devices.empty() || path.empty()) return false;
  while (startsWith(path, devices + '/')) {
    if (isPciAddress(fileName(path)) && readSysfs(path + "/removable") == "removable") return true;
    path = parentPath(path);
  }
  return false;
}

bool isMmcDisk(const std::string& name) { return startsWith(name, "mmcblk"); }

// The mount point that shows best that a device holds the running system:
// "/" wherever it is in the tree, else the first one outside the user's
// media folders.
std::string systemMountpoint(const LsblkDevice& device) {
  std::string first;
  const std::function<bool(const LsblkDevice&)> visit = [&](const LsblkDevice& at) {
    for (const std::string& mountpoint : at.mountpoints) {
      if (mountpoint == "/") return true;
      if (first.empty() && !isUserMediaMount(mountpoint)) first = mountpoint;
    }
    for (const LsblkDevice& child : at.children)
      if (visit(child)) return true;
    return false;
  };
  return visit(device) ? "/" : first;
}

// A directory of path holds usb<N> or fw<N> (a USB or FireWire device).
bool isBelowHotplugBus(const std::string& path) {
  std::size_t at = 0;
  while ((at = path.find('/', at)) != std::string::npos) {
    const std::size_t end = path.find('/', at + 1);
    if (end == std::string::npos) break;
    const std::string part = path.substr(at + 1, end - at - 1);
    for (const std::string bus : {"usb", "fw"})
      if (startsWith(part, bus) && digitsFrom(part, bus.size())) return true;
    at = end;
  }
  return false;
}

}  // namespace

std::string trimmed(const std::string& text) {
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  const auto begin = std::find_if_not(text.begin(), text.end(), blank);
  const auto end = std::find_if_not(text.rbegin(), text.rend(), blank).base();
  return begin < end ? std::string(begin, end) : std::string();
}

bool isVirtualDeviceName(const std::string& name) {
  for (const std::string prefix : {"loop", "zram", "ram", "md", "nbd"})
    if (startsWith(name, prefix) && digitsFrom(name, prefix.size())) return true;
  if (startsWith(name, "md_") && name.size() > 3) return true;
  if (startsWith(name, "dm-") && digitsFrom(name, 3)) return true;
  if (!startsWith(name, "mmcblk")) return false;
  std::size_t at = 6;
  while (at < name.size() && isDigit(name[at])) ++at;
  if (at == 6) return false;
  const std::string area = name.substr(at);
  return area == "rpmb" || (startsWith(area, "boot") && digitsFrom(area, 4));
}

bool holdsRunningSystem(const LsblkDevice& diskWithChildren) {
  if (isStackMember(diskWithChildren)) return true;
  for (const std::string& mountpoint : diskWithChildren.mountpoints)
    if (!isUserMediaMount(mountpoint)) return true;
  for (const LsblkDevice& child : diskWithChildren.children)
    if (holdsRunningSystem(child)) return true;
  return false;
}

std::string linuxBus(const LsblkDevice& disk, const std::string& sysfsRoot) {
  const std::string& name = disk.name;
  const std::string tran = lower(disk.transport);
  const auto hasSubsystem = [&](const std::string& subsystem) {
    const std::string& chain = disk.subsystems;
    std::size_t at = 0;
    for (;;) {
      const std::size_t end = chain.find(':', at);
      if (chain.compare(at, end == std::string::npos ? std::string::npos : end - at, subsystem) ==
          0)
        return true;
      if (end == std::string::npos) return false;
      at = end + 1;
    }
  };
  if (tran == "usb" || hasSubsystem("usb")) return "usb";
  if (tran == "sbp" || hasSubsystem("firewire")) return "firewire";
  if (isMmcDisk(name) && readSysfs(sysfsRoot + "/block/" + name + "/device/type") == "SD")
    return "sd";
  if (hasRemovablePciParent(canonical(sysfsRoot + "/block/" + name), sysfsRoot))
    return "thunderbolt";
  return tran;
}

DiskPlacement linuxPlacement(const LsblkDevice& disk, const std::string& sysfsRoot) {
  DiskPlacement placement;
  placement.bus = linuxBus(disk, sysfsRoot);
  placement.removable = disk.removable || placement.bus == "sd";
  placement.ejectable = isExternalBus(placement.bus);
  placement.internal = !placement.removable && !placement.ejectable;
  return placement;
}

std::string linuxModel(const LsblkDevice& disk, const std::string& sysfsRoot) {
  const std::string vendor = trimmed(disk.vendor);
  const std::string model = trimmed(disk.model);
  const std::string& name = disk.name;
  if (model.empty() && isMmcDisk(name))
    return readSysfs(sysfsRoot + "/block/" + name + "/device/name");
  const bool placeholderVendor = lower(vendor) == "ata" || startsWith(vendor, "0x");
  if (vendor.empty() || placeholderVendor || startsWith(lower(model), lower(vendor))) return model;
  return model.empty() ? vendor : vendor + ' ' + model;
}

std::optional<NotOfferedReason> linuxNotOfferedReason(const LsblkDevice& disk,
                                                      const std::string& sysfsRoot) {
  using Kind = NotOfferedReason::Kind;
  if (disk.type == "loop" || startsWith(disk.name, "loop"))
    return NotOfferedReason(Kind::loopDevice);
  if (isVirtualDeviceName(disk.name)) return NotOfferedReason(Kind::virtualDevice);
  if (disk.type == "rom") return NotOfferedReason(Kind::opticalDrive);
  if (disk.type != "disk") return NotOfferedReason(Kind::notADisk, disk.type);
  if (disk.size <= 0) return NotOfferedReason(Kind::noMedium);
  if (disk.readOnly) return NotOfferedReason(Kind::readOnly);
  if (holdsRunningSystem(disk)) {
    const std::string mountpoint = systemMountpoint(disk);
    if (!mountpoint.empty()) return NotOfferedReason(Kind::holdsSystem, mountpoint);
    return NotOfferedReason(Kind::volumeMember);
  }
  if (!isExternalOrRemovable(linuxPlacement(disk, sysfsRoot)))
    return NotOfferedReason(Kind::internalDisk);
  return std::nullopt;
}

bool isOfferableDisk(const LsblkDevice& disk, const std::string& sysfsRoot) {
  return !linuxNotOfferedReason(disk, sysfsRoot);
}

bool isSameOrPartitionOf(const std::string& name, const std::string& disk) {
  if (disk.empty() || !startsWith(name, disk)) return false;
  const std::string rest = name.substr(disk.size());
  if (rest.empty()) return true;
  // "p" goes in only after a disk name that ends in a digit.
  const bool p = rest.front() == 'p';
  if (p != isDigit(disk.back())) return false;
  return digitsFrom(rest, p ? 1 : 0);
}

bool couldBeOffered(const std::string& name, const std::string& sysfsRoot) {
  if (isVirtualDeviceName(name)) return false;
  std::string path = canonical(sysfsRoot + "/class/block/" + name);
  if (path.empty()) return false;
  // A partition's directory lies inside its disk's.
  if (KernelFile::find(path + "/partition") == 0) path = parentPath(path);
  const std::string disk = fileName(path);
  const std::string devices = canonical(sysfsRoot + "/devices");
  if (isVirtualDeviceName(disk) || devices.empty() || !startsWith(path, devices + '/') ||
      startsWith(path, devices + "/virtual/"))
    return false;
  if (readSysfs(path + "/removable") == "1") return true;
  if (isBelowHotplugBus(path.substr(devices.size()))) return true;
  if (path.find("/mmc_host/") != std::string::npos) return readSysfs(path + "/device/type") == "SD";
  return hasRemovablePciParent(path, sysfsRoot);
}

}  // namespace tessaro
