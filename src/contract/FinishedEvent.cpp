// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/FinishedEvent.h"

#include "contract/MemberReader.h"

namespace tessaro::contract {

void FinishedEvent::writeTo(Json& members) const { members.set("status", status); }

std::optional<FinishedEvent> FinishedEvent::readFrom(const Json& members) {
  MemberReader in(members);
  FinishedEvent finished;
  finished.status = int(in.whole("status", 0, 255));
  if (!in.ok()) return std::nullopt;
  return finished;
}

}  // namespace tessaro::contract
