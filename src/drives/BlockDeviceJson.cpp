// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/BlockDeviceJson.h"

#include <set>

namespace tessaro {

namespace {

using contract::Json;

Json text(const std::string& value) { return value.empty() ? Json() : Json(value); }

// The devices whose parent is `parent` (empty: those with no parent among
// them), each with its own children.
Json::Array level(const std::vector<BlockDevice>& devices, const std::set<std::string>& names,
                  const std::string& parent, const Wording& wording, int depth) {
  Json::Array list;
  for (const BlockDevice& device : devices) {
    const bool top = device.parent.empty() || !names.contains(device.parent);
    if (parent.empty() ? !top : device.parent != parent) continue;
    Json object = BlockDeviceJson::object(device, wording);
    // lsblk nests no deeper than a disk's partitions' volumes' volumes; a
    // loop in the records ends here.
    if (depth < 8) {
      Json::Array children = level(devices, names, device.name, wording, depth + 1);
      if (!children.empty()) object.set("children", std::move(children));
    }
    list.push_back(std::move(object));
  }
  return list;
}

}  // namespace

Json BlockDeviceJson::object(const BlockDevice& device, const Wording& wording) {
  Json reason;
  if (device.reason)
    reason = Json::Object{{"kind", device.reason->key()},
                          {"message", device.reason->phrase(wording)}};
  Json::Array mountpoints(device.mountpoints.begin(), device.mountpoints.end());
  return Json::Object{
      {"name", device.name},
      {"path", device.path},
      {"id", text(device.id)},
      {"size", device.size},
      {"model", text(device.model)},
      {"vendor", text(device.vendor)},
      {"serial", text(device.serial)},
      {"tran", text(device.transport)},
      {"rm", device.removable},
      {"hotplug", device.hotplug},
      {"ro", device.readOnly},
      {"log-sec", device.logicalSectorSize > 0 ? Json(device.logicalSectorSize) : Json()},
      {"type", text(device.type)},
      {"fstype", text(device.fstype)},
      {"mountpoints", std::move(mountpoints)},
      {"offered", device.offered()},
      {"reason", std::move(reason)},
  };
}

std::string BlockDeviceJson::document(const std::vector<BlockDevice>& devices,
                                      const Wording& wording) {
  std::set<std::string> names;
  for (const BlockDevice& device : devices) names.insert(device.name);
  return Json(Json::Object{{"blockdevices", level(devices, names, {}, wording, 0)}}).indented();
}

}  // namespace tessaro
