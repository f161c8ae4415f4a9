// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/DriveFacts.h"

#include <limits>

#include "contract/MemberReader.h"

namespace tessaro::contract {

namespace {

Json text(const std::optional<std::string>& value) { return value ? Json(*value) : Json(); }

// A size below one byte was not reported.
Json size(std::int64_t bytes) { return bytes >= 1 ? Json(bytes) : Json(); }

std::int64_t readSize(MemberReader& in, const char* name) {
  return in.wholeOrNull(name, 1, std::numeric_limits<std::int64_t>::max()).value_or(0);
}

}  // namespace

void DriveFacts::writeTo(Json& members) const {
  Json diskMembers;
  diskMembers.set("deviceNode", text(disk.deviceNode));
  diskMembers.set("model", text(disk.model));
  diskMembers.set("bus", text(disk.bus));
  diskMembers.set("removable", disk.removable);
  diskMembers.set("ejectable", disk.ejectable);
  diskMembers.set("wholeDisk", disk.wholeDisk);
  diskMembers.set("parentWholeDisk", text(disk.parentWholeDisk));
  diskMembers.set("deviceBlockSize", size(disk.deviceBlockSize));
  diskMembers.set("totalSize", size(disk.totalSize));
  members.set("disk", std::move(diskMembers));
  if (!partition) {
    members.set("partition", Json());
    return;
  }
  Json partitionMembers;
  partitionMembers.set("deviceNode", text(partition->deviceNode));
  partitionMembers.set("volumeName", text(partition->volumeName));
  partitionMembers.set("filesystem", text(partition->filesystem));
  partitionMembers.set("mounted", partition->mountPoint.has_value());
  partitionMembers.set("mountPoint", text(partition->mountPoint));
  partitionMembers.set("filesystemBlockSize", size(partition->filesystemBlockSize));
  members.set("partition", std::move(partitionMembers));
}

std::optional<DriveFacts> DriveFacts::readFrom(const Json& members) {
  MemberReader top(members);
  const Json* diskMembers = top.objectOrNull("disk");
  const Json* partitionMembers = top.objectOrNull("partition");
  if (!top.ok() || !diskMembers) return std::nullopt;

  DriveFacts facts;
  MemberReader in(*diskMembers);
  facts.disk.deviceNode = in.textOrNull("deviceNode");
  facts.disk.model = in.textOrNull("model");
  facts.disk.bus = in.textOrNull("bus");
  facts.disk.removable = in.flag("removable");
  facts.disk.ejectable = in.flag("ejectable");
  facts.disk.wholeDisk = in.flag("wholeDisk");
  facts.disk.parentWholeDisk = in.textOrNull("parentWholeDisk");
  facts.disk.deviceBlockSize = readSize(in, "deviceBlockSize");
  facts.disk.totalSize = readSize(in, "totalSize");
  if (!in.ok()) return std::nullopt;
  if (!partitionMembers) return facts;

  MemberReader part(*partitionMembers);
  PartitionFacts& read = facts.partition.emplace();
  read.deviceNode = part.textOrNull("deviceNode");
  read.volumeName = part.textOrNull("volumeName");
  read.filesystem = part.textOrNull("filesystem");
  read.mountPoint = part.textOrNull("mountPoint");
  const bool mounted = part.flag("mounted");
  read.filesystemBlockSize = readSize(part, "filesystemBlockSize");
  if (!part.ok() || mounted != read.mountPoint.has_value()) return std::nullopt;
  return facts;
}

}  // namespace tessaro::contract
