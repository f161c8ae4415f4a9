// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/SysfsBlockTree.h"

#include <libudev.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "drives/LogicalSectorSize.h"
#include "drives/linux/DeviceNumber.h"
#include "drives/linux/KernelFile.h"
#include "drives/linux/LinuxDiskRules.h"
#include "drives/linux/MountInfo.h"

namespace tessaro {

namespace {

// Deeper than any stack of devices goes, as for lsblk's own output.
constexpr int kMaxDepth = 32;

// What a missing file looks like: nothing at the path, or a file where a
// directory would be (an attribute looked for below an attribute).
bool isAbsent(int error) { return error == ENOENT || error == ENOTDIR; }

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

std::string afterLastSlash(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// lsblk's names for the SCSI peripheral types.
std::string scsiTypeName(std::int64_t type) {
  switch (type) {
    case 0x01:
      return "tape";
    case 0x02:
      return "printer";
    case 0x03:
      return "processor";
    case 0x04:
      return "worm";
    case 0x05:
      return "rom";
    case 0x06:
      return "scanner";
    case 0x07:
      return "mo-disk";
    case 0x08:
      return "changer";
    case 0x09:
      return "comm";
    case 0x0c:
      return "raid";
    case 0x0d:
      return "enclosure";
    case 0x0e:
      return "rbc";
    case 0x11:
      return "osd";
    case 0x7f:
      return "no-lun";
    default:
      return "disk";
  }
}

// udev's *_ENC values, as lsblk decodes them: "\x20" for a blank and the like.
std::string unhex(const std::string& encoded) {
  const auto hex = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  };
  std::string decoded;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '\\' && i + 3 < encoded.size() && encoded[i + 1] == 'x' &&
        hex(encoded[i + 2]) && hex(encoded[i + 3])) {
      decoded += char(std::stoi(encoded.substr(i + 2, 2), nullptr, 16));
      i += 3;
      continue;
    }
    decoded += encoded[i];
  }
  return decoded;
}

std::string property(const SysfsBlockTree::UdevProperties& udev, const std::string& key,
                     const std::string& otherwise = {}) {
  const auto found = udev.find(key);
  return found == udev.end() ? otherwise : found->second;
}

struct UdevFree {
  void operator()(udev* context) const { udev_unref(context); }
};

// Reads one disk's tree. Every read that fails for another reason than that
// there is nothing to read is kept in failure(), and the record read with it
// is not used: a file that could not be read never counts as absent.
class Reader {
 public:
  Reader(const SysfsBlockTree::Sources& sources, const MountInfo& mounts,
         std::vector<std::string> swaps)
      : sources_(sources), mounts_(mounts), swaps_(std::move(swaps)) {
    devicesDir_ = resolved(sources.sysfsRoot + "/devices");
  }

  const std::string& failure() const { return failure_; }

  // The device name (a kernel name) below parent (none: the top).
  std::optional<LsblkDevice> device(const std::string& name, const LsblkDevice* parent,
                                    const std::string& parentDir, int depth) {
    const std::string dir = resolved(sources_.sysfsRoot + "/class/block/" + name);
    const std::optional<dev_t> deviceNumber =
        dir.empty() ? std::nullopt : parseDeviceNumber(trimmed(text(dir + "/dev")));
    if (!failure_.empty()) return std::nullopt;
    if (dir.empty() || !deviceNumber) {
      failure_ = "there is no block device named " + name;
      return std::nullopt;
    }
    // sysfs that shows a device below itself is not believed.
    if (above_.count(name) != 0) {
      failure_ = "the devices below " + name + " hold each other";
      return std::nullopt;
    }
    const bool partition = exists(dir + "/partition");
    const bool mapped = startsWith(name, "dm-");
    const std::string dmName = mapped ? text(dir + "/dm/name") : std::string();

    LsblkDevice record;
    record.name = dmName.empty() ? name : dmName;
    record.path = (dmName.empty() ? "/dev/" : "/dev/mapper/") + record.name;
    record.number = *deviceNumber;
    if (parent) record.parentName = parent->name;
    record.type = type(name, dir, partition);
    record.size = number(dir + "/size").value_or(0) * 512;
    // A partition has no queue of its own: lsblk reads its disk's.
    const std::string queueDir = partition && !parentDir.empty() ? parentDir : dir;
    if (const auto bytes = number(queueDir + "/queue/logical_block_size")) {
      record.logicalSectorSizeReported = true;
      record.logicalSectorSize =
          isValidLogicalSectorSize(*bytes) ? std::optional<int>(int(*bytes)) : std::nullopt;
    }
    const std::optional<std::int64_t> removable = number(dir + "/removable");
    if (removable)
      record.removable = *removable == 1;
    else if (partition && parent)
      record.removable = parent->removable;
    const std::vector<std::string> subsystems = subsystemChain(dir);
    for (const std::string& subsystem : subsystems)
      record.subsystems += (record.subsystems.empty() ? "" : ":") + subsystem;
    record.hotplug =
        removable == 1 || std::any_of(subsystems.begin(), subsystems.end(), [](const auto& at) {
          return at == "usb" || at == "ieee1394" || at == "pcmcia" || at == "mmc" || at == "ccw";
        });
    record.transport = transport(name, dir);
    record.readOnly = number(dir + "/ro").value_or(0) == 1;

    const SysfsBlockTree::UdevProperties udev = udevProperties(record.number, record.path);
    if (!failure_.empty()) return std::nullopt;
    record.fstype = property(udev, "ID_FS_TYPE");
    record.fsver = property(udev, "ID_FS_VERSION");
    record.label = unhex(property(udev, "ID_FS_LABEL_ENC"));
    const bool holdsOthers = !entries(dir + "/slaves").empty();
    if (!partition && !holdsOthers) {
      record.vendor = text(dir + "/device/vendor");
      record.model = udev.count("ID_MODEL_ENC") != 0
                         ? unhex(property(udev, "ID_MODEL_ENC"))
                         : property(udev, "ID_MODEL", text(dir + "/device/model"));
      record.serial = property(udev, "ID_SERIAL_SHORT",
                               property(udev, "ID_SERIAL", text(dir + "/device/serial")));
      record.wwn = property(udev, "ID_WWN_WITH_EXTENSION", property(udev, "ID_WWN"));
    }

    record.mountpoints = mounts_.targetsOf(*deviceNumber, record.path);
    const auto swapped = [&](const std::string& path) {
      return std::find(swaps_.begin(), swaps_.end(), path) != swaps_.end();
    };
    if (record.mountpoints.empty() && (swapped(record.path) || swapped("/dev/" + name)))
      record.mountpoints.push_back("[SWAP]");

    // Partitions, then what holds the device (a mapping or an array built
    // on it), each with what is below it.
    std::vector<std::string> below;
    if (!partition) below = partitionsOf(dir);
    for (std::string& holder : entries(dir + "/holders")) below.push_back(std::move(holder));
    if (!failure_.empty()) return std::nullopt;
    if (!below.empty() && depth >= kMaxDepth) {
      failure_ = "the devices below " + name + " nest too deep";
      return std::nullopt;
    }
    above_.insert(name);
    for (const std::string& child : below) {
      std::optional<LsblkDevice> childRecord = device(child, &record, dir, depth + 1);
      if (!childRecord) return std::nullopt;
      record.children.push_back(std::move(*childRecord));
    }
    above_.erase(name);
    return record;
  }

  // The devices lsblk lists at its top, by name: every block device but
  // those built on others (listed below them), RAM disks, and loop devices
  // that serve no file.
  std::vector<std::string> topNames() {
    std::vector<std::string> names;
    const std::string blockDir = sources_.sysfsRoot + "/block/";
    for (std::string& name : entries(blockDir)) {
      const std::string dir = blockDir + name;
      const std::optional<dev_t> deviceNumber = parseDeviceNumber(trimmed(text(dir + "/dev")));
      const bool builtOnOthers = !entries(dir + "/slaves").empty();
      const bool idleLoop = deviceNumber && major(*deviceNumber) == 7 &&
                            number(dir + "/size").value_or(0) == 0 &&
                            !exists(dir + "/loop/backing_file");
      if (!failure_.empty()) return {};
      if (!deviceNumber || major(*deviceNumber) == 1 || builtOnOthers || idleLoop) continue;
      names.push_back(std::move(name));
    }
    return names;
  }

 private:
  void fail(const std::string& path, int error) {
    if (failure_.empty()) failure_ = KernelFile::failure(path, error);
  }

  // An attribute file: its text without the line feed sysfs ends it with
  // (lsblk keeps the blanks SCSI pads vendor and model with); none when
  // there is none.
  std::optional<std::string> attribute(const std::string& path) {
    KernelFile::Bytes file = KernelFile::read(path, 4096);
    if (file.error != 0) {
      if (!isAbsent(file.error)) fail(path, file.error);
      return std::nullopt;
    }
    if (!file.bytes.empty() && file.bytes.back() == '\n') file.bytes.pop_back();
    return std::move(file.bytes);
  }

  std::string text(const std::string& path) { return attribute(path).value_or(std::string()); }

  std::optional<std::int64_t> number(const std::string& path) {
    const std::string digits = trimmed(text(path));
    std::int64_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [at, error] =
        std::from_chars(digits.data() + (startsWith(digits, "+") ? 1 : 0), end, value);
    if (digits.empty() || error != std::errc() || at != end) return std::nullopt;
    return value;
  }

  bool exists(const std::string& path) {
    const int error = KernelFile::find(path);
    if (error != 0 && !isAbsent(error)) fail(path, error);
    return error == 0;
  }

  // path with every link followed; empty when there is nothing there.
  std::string resolved(const std::string& path) {
    KernelFile::Bytes real = KernelFile::resolve(path);
    if (real.error != 0) {
      if (!isAbsent(real.error)) fail(path, real.error);
      return {};
    }
    return std::move(real.bytes);
  }

  // The name of what a link leads to; empty when path is no link.
  std::string linkName(const std::string& path) {
    const KernelFile::Bytes target = KernelFile::link(path);
    if (target.error != 0) {
      if (!isAbsent(target.error) && target.error != EINVAL) fail(path, target.error);
      return {};
    }
    return afterLastSlash(target.bytes);
  }

  std::vector<std::string> entries(const std::string& dir) {
    KernelFile::Names listing = KernelFile::list(dir);
    if (listing.error != 0 && !isAbsent(listing.error)) fail(dir, listing.error);
    return std::move(listing.names);
  }

  // What udev recorded of the device; nothing where udev keeps no record.
  SysfsBlockTree::UdevProperties udevProperties(dev_t deviceNumber, const std::string& path) {
    std::string why;
    std::optional<SysfsBlockTree::UdevProperties> properties =
        sources_.udev ? sources_.udev(deviceNumber, &why)
                      : SysfsBlockTree::udevProperties(deviceNumber, &why);
    if (!properties) {
      if (failure_.empty())
        failure_ = "could not read udev's record of " + path + " (" +
                   deviceNumberText(deviceNumber) + "): " + why;
      return {};
    }
    return std::move(*properties);
  }

  // The partitions of a disk, in the order of their numbers.
  std::vector<std::string> partitionsOf(const std::string& diskDir) {
    std::vector<std::pair<std::int64_t, std::string>> found;
    for (std::string& entry : entries(diskDir)) {
      if (const auto partitionNumber = number(diskDir + '/' + entry + "/partition"))
        found.emplace_back(*partitionNumber, std::move(entry));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& [partitionNumber, name] : found) names.push_back(std::move(name));
    return names;
  }

  // lsblk's TYPE.
  std::string type(const std::string& name, const std::string& dir, bool partition) {
    if (partition) return "part";
    if (startsWith(name, "dm-")) {
      const std::string uuid = text(dir + "/dm/uuid");
      std::string prefix = uuid.substr(0, uuid.find('-'));
      // kpartx's partitions: "part1-..." is a "part".
      if (startsWith(lower(prefix), "part")) prefix = prefix.substr(0, 4);
      return prefix.empty() ? "dm" : lower(prefix);
    }
    if (startsWith(name, "loop")) return "loop";
    if (startsWith(name, "md")) {
      const std::string level = lower(text(dir + "/md/level"));
      return level.empty() ? "md" : level;
    }
    if (const auto scsiType = number(dir + "/device/type")) return scsiTypeName(*scsiType);
    return "disk";
  }

  // The subsystems from the device up to the root of the device tree, each
  // run of one named once ("block:scsi:usb:pci").
  std::vector<std::string> subsystemChain(std::string dir) {
    std::vector<std::string> chain;
    while (!devicesDir_.empty() && startsWith(dir, devicesDir_ + '/')) {
      const std::string subsystem = linkName(dir + "/subsystem");
      if (!subsystem.empty() && (chain.empty() || chain.back() != subsystem))
        chain.push_back(subsystem);
      dir.erase(dir.rfind('/'));
    }
    return chain;
  }

  // lsblk's TRAN: from the SCSI host the device hangs off, else nvme by name.
  std::string transport(const std::string& name, const std::string& dir) {
    // A SCSI device is named HOST:CHANNEL:TARGET:LUN.
    const std::string hctl = linkName(dir + "/device");
    std::vector<std::string> address;
    for (std::size_t at = 0;;) {
      const std::size_t colon = hctl.find(':', at);
      address.push_back(hctl.substr(at, colon == std::string::npos ? colon : colon - at));
      if (colon == std::string::npos) break;
      at = colon + 1;
    }
    const bool scsi =
        address.size() == 4 && std::all_of(address.begin(), address.end(), [](const auto& part) {
          return !part.empty() && part.size() <= 9 &&
                 std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
        });
    if (scsi) {
      const std::string host = "/host" + address[0];
      const std::string classDir = sources_.sysfsRoot + "/class/";
      const std::string scsiDevice = sources_.sysfsRoot + "/bus/scsi/devices/" + hctl;
      if (exists(classDir + "spi_host" + host)) return "spi";
      if (exists(classDir + "fc_host" + host)) {
        const auto symbolic = attribute(classDir + "fc_host" + host + "/symbolic_name");
        if (!symbolic) return {};
        return symbolic->find(" over ") != std::string::npos ? "fcoe" : "fc";
      }
      if (exists(classDir + "sas_host" + host) || exists(scsiDevice + "/sas_device")) return "sas";
      if (exists(scsiDevice + "/ieee1394_id")) return "sbp";
      if (exists(classDir + "iscsi_host" + host)) return "iscsi";
      if (resolved(scsiDevice).find("usb") != std::string::npos) return "usb";
      if (exists(classDir + "scsi_host" + host)) {
        const std::string procName = text(classDir + "scsi_host" + host + "/proc_name");
        if (startsWith(procName, "ahci") || startsWith(procName, "sata")) return "sata";
        if (procName.find("ata") != std::string::npos) return "ata";
        return {};
      }
    }
    if (startsWith(name, "nvme")) return "nvme";
    return {};
  }

  const SysfsBlockTree::Sources& sources_;
  const MountInfo& mounts_;
  const std::vector<std::string> swaps_;
  std::string devicesDir_;
  std::set<std::string> above_;  // the devices the one being read lies below
  std::string failure_;
};

}  // namespace

std::optional<SysfsBlockTree::UdevProperties> SysfsBlockTree::udevProperties(dev_t number,
                                                                             std::string* failure) {
  const std::unique_ptr<udev, UdevFree> context(udev_new());
  if (!context) {
    *failure = std::strerror(errno);
    return std::nullopt;
  }
  udev_device* device = udev_device_new_from_devnum(context.get(), 'b', number);
  if (!device) {
    *failure = std::strerror(errno);
    return std::nullopt;
  }
  // libudev reads the record when first asked and takes one it cannot read
  // for none; asked whether the device is initialized, it says why not. A
  // record that is not there (no udevd) is none; one that cannot be read is
  // no record with nothing in it.
  errno = 0;
  if (udev_device_get_is_initialized(device) == 0 && errno != 0 && errno != ENOENT) {
    *failure = std::strerror(errno);
    udev_device_unref(device);
    return std::nullopt;
  }
  UdevProperties properties;
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device)) {
    const char* value = udev_list_entry_get_value(entry);
    properties.emplace(udev_list_entry_get_name(entry), value ? value : "");
  }
  udev_device_unref(device);
  return properties;
}

namespace {

// Reads the mount and swap tables once, then with them what read reads; none,
// with why, when a table or a device of the tree cannot be read whole.
template <typename Result, typename Read>
std::optional<Result> readWhole(const SysfsBlockTree::Sources& sources, std::string* failure,
                                Read read) {
  const std::optional<MountInfo> mounts = MountInfo::readFile(sources.mountInfo, failure);
  if (!mounts) return std::nullopt;
  std::optional<std::vector<std::string>> swaps = MountInfo::readSwaps(sources.swaps, failure);
  if (!swaps) return std::nullopt;
  Reader reader(sources, *mounts, std::move(*swaps));
  std::optional<Result> result = read(reader);
  if (!reader.failure().empty()) {
    *failure = reader.failure();
    return std::nullopt;
  }
  return result;
}

}  // namespace

std::optional<std::vector<LsblkDevice>> SysfsBlockTree::readAll(const Sources& sources,
                                                                std::string* failure) {
  return readWhole<std::vector<LsblkDevice>>(sources, failure, [](Reader& reader) {
    std::vector<LsblkDevice> list;
    for (const std::string& name : reader.topNames()) {
      std::optional<LsblkDevice> record = reader.device(name, nullptr, std::string(), 0);
      if (!record) break;
      list.push_back(std::move(*record));
    }
    return std::optional(std::move(list));
  });
}

std::optional<LsblkDevice> SysfsBlockTree::read(const std::string& diskName, const Sources& sources,
                                                std::string* failure) {
  return readWhole<LsblkDevice>(sources, failure, [&](Reader& reader) {
    return reader.device(diskName, nullptr, std::string(), 0);
  });
}

}  // namespace tessaro
