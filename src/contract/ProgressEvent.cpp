// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/ProgressEvent.h"

#include <limits>

#include "contract/MemberReader.h"

namespace tessaro::contract {

void ProgressEvent::writeTo(Json& members) const {
  members.set("fraction", Json::wholeOrReal(fraction));
  members.set("bytesDone", bytesDone);
  if (secondsLeft) members.set("secondsLeft", *secondsLeft);
  if (bytesPerSecond) members.set("bytesPerSecond", *bytesPerSecond);
}

std::optional<ProgressEvent> ProgressEvent::readFrom(const Json& members) {
  MemberReader in(members);
  ProgressEvent progress;
  progress.fraction = in.number("fraction", 0, 1);
  progress.bytesDone = in.whole("bytesDone", 0, std::numeric_limits<std::int64_t>::max());
  progress.secondsLeft = in.wholeIfPresent("secondsLeft", 0, longestWait);
  progress.bytesPerSecond = in.wholeIfPresent("bytesPerSecond", 0, fastest);
  if (!in.ok()) return std::nullopt;
  return progress;
}

}  // namespace tessaro::contract
