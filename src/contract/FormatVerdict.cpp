// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/FormatVerdict.h"

#include <limits>

#include "contract/MemberReader.h"

namespace tessaro::contract {

void FormatVerdict::writeTo(Json& members) const {
  members.set("matches", matches);
  members.set("table", table);
  members.set("partitionType", partitionType);
  members.set("partitionStart", partitionStart);
  members.set("partitionSectors", partitionSectors);
  members.set("fileSystem", fileSystem);
  members.set("label", label);
  members.set("clusterBytes", clusterBytes);
  members.set("clusters", clusters);
  members.set("dataAlignment", dataAlignment);
  members.set("fsckClean", fsckClean);
}

std::optional<FormatVerdict> FormatVerdict::readFrom(const Json& members) {
  constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
  MemberReader in(members);
  FormatVerdict verdict;
  verdict.matches = in.flag("matches");
  verdict.table = in.text("table");
  verdict.partitionType = in.text("partitionType");
  verdict.partitionStart = in.whole("partitionStart", -1, most);
  verdict.partitionSectors = in.whole("partitionSectors", -1, most);
  verdict.fileSystem = in.text("fileSystem");
  verdict.label = in.text("label");
  verdict.clusterBytes = in.whole("clusterBytes", -1, most);
  verdict.clusters = in.whole("clusters", -1, most);
  verdict.dataAlignment = in.whole("dataAlignment", -1, most);
  verdict.fsckClean = in.flag("fsckClean");
  if (!in.ok()) return std::nullopt;
  return verdict;
}

}  // namespace tessaro::contract
