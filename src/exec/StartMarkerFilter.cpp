// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/StartMarkerFilter.h"

#include <utility>

namespace tessaro {

StartMarkerFilter::StartMarkerFilter(QByteArray markerLine) : markerLine_(std::move(markerLine)) {}

QByteArray StartMarkerFilter::feed(const QByteArray& bytes) {
  if (decided_) return bytes;
  pending_ += bytes;
  if (pending_.size() < markerLine_.size() && markerLine_.startsWith(pending_)) return {};
  decided_ = true;
  if (pending_.startsWith(markerLine_)) {
    seen_ = true;
    pending_.remove(0, markerLine_.size());
  }
  return std::exchange(pending_, QByteArray());
}

QByteArray StartMarkerFilter::finish() {
  decided_ = true;
  return std::exchange(pending_, QByteArray());
}

}  // namespace tessaro
