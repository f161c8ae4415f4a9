// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaro {

// What a capacity probe found.
struct ProbeResult {
  quint64 claimedBytes = 0;
  qint64 samples = 0;  // blocks written and read back
  qint64 intact = 0;
  qint64 aliased = 0;  // held, or shared their place with, another offset's block
  qint64 lost = 0;     // read back as something else, or refused by the drive
  // Where the last intact block below the first bad one ends: every sample
  // below it read back intact. The claimed size when every sample did.
  quint64 usableBytes = 0;
  std::optional<quint64> firstBadOffset;  // the lowest sample that did not
  quint64 bytesWritten = 0;
  quint64 bytesRead = 0;
  qint64 milliseconds = 0;
  // The write cache found answering reads of what it did not store: about
  // this many bytes; 0 when none was found.
  quint64 cacheBytes = 0;
  // Sequential speeds measured on a region at the start of the drive; 0 when
  // the region was too small to time.
  quint64 writeBytesPerSecond = 0;
  quint64 readBytesPerSecond = 0;

  bool genuine() const { return !firstBadOffset.has_value(); }
  // "Genuine: all N samples read back" or
  // "Counterfeit: only the first X GB of Y GB hold data".
  QString verdict() const;
  // The figures behind the verdict, one line each, for the log.
  QStringList details() const;

  // The figures as the helper's result event carries them, and back. None
  // unless every figure is there, in range and consistent with the others.
  QJsonObject toJson() const;
  static std::optional<ProbeResult> fromJson(const QJsonObject& figures);
};

}  // namespace tessaro
