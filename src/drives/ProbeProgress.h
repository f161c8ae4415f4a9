// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <optional>

#include "contract/ProgressEvent.h"
#include "exec/HelperEvent.h"

namespace tessaro {

// How far a capacity probe has come, and how long it will still take.
struct ProbeProgress {
  double fraction = 0;                // 0 to 1
  std::optional<qint64> secondsLeft;  // none until there is enough to go by
  quint64 bytesDone = 0;              // written and read so far
  // How fast the drive moves data now; none where the test does not say.
  std::optional<quint64> bytesPerSecond;

  // From the bytes moved so far, the bytes planned and the time taken:
  // the rest is expected to go at the pace so far.
  static ProbeProgress estimate(quint64 doneBytes, quint64 plannedBytes, qint64 elapsedMs);

  // "42 %, about 3 min left", "97 %, about 5 s left", "3 %", with the speed
  // where it is known ("42 %, 35.2 MB/s, about 3 min left"), in the user's
  // language, as the window's progress bar and tessaro-cli's progress line show it.
  QString text() const;

  // The helper's progress event, and back: none for another event or one
  // whose figures are out of range.
  contract::ProgressEvent event() const;
  static std::optional<ProbeProgress> fromEvent(const HelperEvent& event);
};

}  // namespace tessaro
