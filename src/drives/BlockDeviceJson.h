// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <vector>

#include "contract/Json.h"
#include "drives/BlockDevice.h"
#include "drives/Wording.h"

namespace tessaro {

// The devices of `tessaro-cli list --json` and the disk of `info --json`, as
// lsblk names things: name, path, size (bytes), model, vendor, serial, tran,
// rm, hotplug, ro, log-sec, type, fstype, mountpoints; besides them id (what
// identifies the device across runs, or null), offered, and reason (null, or
// {"kind", "message"} when it is not offered; the message in wording's
// language). What was not reported is null. Keys are lsblk's style: lower
// case, "-" between words. The same devices give the same text, byte for
// byte.
class BlockDeviceJson {
 public:
  static contract::Json object(const BlockDevice& device, const Wording& wording);
  // {"blockdevices": [...]} in the order given, indented, each device's
  // partitions and the volumes built on them nested under it as "children",
  // as lsblk nests them; a device whose parent is not among them stands at
  // the top.
  static std::string document(const std::vector<BlockDevice>& devices, const Wording& wording);
};

}  // namespace tessaro
