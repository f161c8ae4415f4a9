// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>

#include "contract/HelperEvent.h"
#include "contract/ProgressEvent.h"

namespace tessaro {

// How far a capacity probe has come, and how long it will still take. The
// window and tessaro-cli show it in the user's words (ProbeProgressText).
struct ProbeProgress {
  double fraction = 0;                      // 0 to 1
  std::optional<std::int64_t> secondsLeft;  // none until there is enough to go by
  std::uint64_t bytesDone = 0;              // written and read so far
  // How fast the drive moves data now; none where the test does not say.
  std::optional<std::uint64_t> bytesPerSecond;

  // From the bytes moved so far, the bytes planned and the time taken:
  // the rest is expected to go at the pace so far.
  static ProbeProgress estimate(std::uint64_t doneBytes, std::uint64_t plannedBytes,
                                std::int64_t elapsedMs);

  // The helper's progress event, and back: none for another event (the codec
  // has refused figures out of range).
  contract::ProgressEvent event() const;
  static std::optional<ProbeProgress> fromEvent(const contract::HelperEvent& event);
};

}  // namespace tessaro
