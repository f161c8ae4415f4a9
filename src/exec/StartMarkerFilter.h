// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>

namespace tessaro {

// Takes the privileged helper's marker line off the start of its output, even
// when it arrives split over several reads. Whatever does not start with the
// marker passes through unchanged.
class StartMarkerFilter {
 public:
  explicit StartMarkerFilter(QByteArray markerLine);

  // The bytes of one read; returns what may be delivered now (maybe nothing).
  QByteArray feed(const QByteArray& bytes);
  // At end of output: anything held back that turned out not to be the marker.
  QByteArray finish();
  bool markerSeen() const { return seen_; }

 private:
  QByteArray markerLine_;
  QByteArray pending_;
  bool decided_ = false;
  bool seen_ = false;
};

}  // namespace tessaro
