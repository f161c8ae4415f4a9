// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/HelperFrames.h"

#include <utility>

namespace tessaro {

void HelperFrames::deliver(const std::vector<contract::FrameReader::Frame>& frames) const {
  QStringList lines;
  for (const contract::FrameReader::Frame& frame : frames) {
    if (frame.kind == contract::FrameReader::Frame::Kind::text) {
      // The reader decoded the text: taken as it is, a byte-order mark too.
      lines << QString(reinterpret_cast<const QChar*>(frame.text.data()),
                       qsizetype(frame.text.size()));
      continue;
    }
    const std::optional<contract::HelperEvent> event = contract::HelperEvent::fromJson(frame.json);
    if (!event) continue;
    // Lines before an event are handed on before it.
    if (!lines.isEmpty() && output_.lines) output_.lines(std::exchange(lines, {}));
    if (output_.events) output_.events(*event);
  }
  if (!lines.isEmpty() && output_.lines) output_.lines(lines);
}

}  // namespace tessaro
