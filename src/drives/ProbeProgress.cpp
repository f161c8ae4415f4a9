// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeProgress.h"

#include <algorithm>
#include <cmath>

namespace tessaro {

ProbeProgress ProbeProgress::estimate(std::uint64_t doneBytes, std::uint64_t plannedBytes,
                                      std::int64_t elapsedMs) {
  ProbeProgress progress;
  progress.bytesDone = doneBytes;
  if (plannedBytes == 0) return {1.0, 0, doneBytes};
  progress.fraction = std::clamp(double(doneBytes) / double(plannedBytes), 0.0, 1.0);
  // A guess from the first percent or the first second is mostly noise.
  if (progress.fraction >= 0.01 && elapsedMs >= 1000) {
    const double total = double(elapsedMs) / progress.fraction;
    progress.secondsLeft = std::int64_t(std::ceil((total - double(elapsedMs)) / 1000.0));
  }
  if (progress.fraction >= 1.0) progress.secondsLeft = 0;
  return progress;
}

contract::ProgressEvent ProbeProgress::event() const {
  contract::ProgressEvent event{fraction, std::int64_t(bytesDone), secondsLeft};
  if (bytesPerSecond) event.bytesPerSecond = std::int64_t(*bytesPerSecond);
  return event;
}

std::optional<ProbeProgress> ProbeProgress::fromEvent(const contract::HelperEvent& event) {
  const contract::ProgressEvent* told = event.get<contract::ProgressEvent>();
  if (!told) return std::nullopt;
  ProbeProgress progress{told->fraction, told->secondsLeft, std::uint64_t(told->bytesDone),
                         std::nullopt};
  if (told->bytesPerSecond) progress.bytesPerSecond = std::uint64_t(*told->bytesPerSecond);
  return progress;
}

}  // namespace tessaro
