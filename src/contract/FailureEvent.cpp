// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/FailureEvent.h"

#include "contract/HelperContract.h"
#include "contract/MemberReader.h"

namespace tessaro::contract {

FailureEvent FailureEvent::of(int status, bool written, std::string message) {
  return {HelperContract::failureKind(status), written, {}, status, std::move(message)};
}

void FailureEvent::writeTo(Json& members) const {
  members.set("kind", kind);
  members.set("written", written);
  members.set("tool", tool);
  members.set("status", status);
  members.set("message", message);
}

std::optional<FailureEvent> FailureEvent::readFrom(const Json& members) {
  MemberReader in(members);
  FailureEvent failure;
  failure.kind = in.text("kind");
  failure.written = in.flag("written");
  failure.tool = in.text("tool");
  failure.status = int(in.whole("status", 0, 255));
  failure.message = in.text("message");
  if (!in.ok() || failure.kind.empty()) return std::nullopt;
  return failure;
}

}  // namespace tessaro::contract
