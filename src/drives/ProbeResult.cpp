// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeResult.h"

#include <algorithm>

namespace tessaro {

namespace {

QString gigabytes(uint64_t bytes) { return QString::number(double(bytes) / 1e9, 'f', 2); }

QString megabytes(uint64_t bytes) { return QString::number(double(bytes) / 1e6, 'f', 1); }

}  // namespace

std::vector<ProbeResult::Region> ProbeResult::goodRegions() const {
  std::vector<Region> good;
  uint64_t from = 0;
  for (const Region& bad : badRegions) {
    if (bad.begin > from) good.push_back({from, bad.begin});
    from = std::max(from, bad.end);
  }
  if (from < claimedBytes) good.push_back({from, claimedBytes});
  return good;
}

QString ProbeResult::verdictLine() const {
  switch (verdict) {
    case Verdict::genuine:
      return QStringLiteral("Genuine: all %1 samples read back").arg(samples);
    case Verdict::counterfeit:
      return QStringLiteral("Counterfeit: only the first %1 GB of %2 GB hold data")
          .arg(gigabytes(usableBytes), gigabytes(claimedBytes));
    case Verdict::damaged: {
      const Region first = badRegions.empty() ? Region{} : badRegions.front();
      return QStringLiteral("Damaged: data read back wrong between %1 MB and %2 MB")
          .arg(megabytes(first.begin), megabytes(first.end));
    }
    case Verdict::failed:
      return failure == Failure::refusedWrites
                 ? QStringLiteral("Failed: the drive refused writes after %1 MB")
                       .arg(megabytes(failedAfterBytes.value_or(0)))
                 : QStringLiteral("Failed: the drive stopped storing data after %1 MB written")
                       .arg(megabytes(failedAfterBytes.value_or(0)));
  }
  return {};
}

namespace {

// Copies every figure.
template <typename To, typename From>
void copyFigures(const From& from, To& to) {
  to.verdict = from.verdict;
  to.mode = from.mode;
  to.claimedBytes = from.claimedBytes;
  to.samples = from.samples;
  to.intact = from.intact;
  to.aliased = from.aliased;
  to.lost = from.lost;
  to.usableBytes = from.usableBytes;
  to.firstBadOffset = from.firstBadOffset;
  to.badRegionsLeftOut = from.badRegionsLeftOut;
  to.failure = from.failure;
  to.failedAfterBytes = from.failedAfterBytes;
  to.retriedWrites = from.retriedWrites;
  to.retriedReads = from.retriedReads;
  to.bytesWritten = from.bytesWritten;
  to.bytesRead = from.bytesRead;
  to.milliseconds = from.milliseconds;
  to.cacheBytes = from.cacheBytes;
  to.cacheRuledOutBytes = from.cacheRuledOutBytes;
  to.writeBytesPerSecond = from.writeBytesPerSecond;
  to.readBytesPerSecond = from.readBytesPerSecond;
  to.speedPartial = from.speedPartial;
  to.tableCleared = from.tableCleared;
  to.writeErrors = from.writeErrors;
  to.readErrors = from.readErrors;
  to.badRegions = from.badRegions;
}

}  // namespace

contract::ProbeResult ProbeResult::wire() const {
  contract::ProbeResult wire;
  copyFigures(*this, wire);
  return wire;
}

ProbeResult ProbeResult::fromWire(const contract::ProbeResult& wire) {
  ProbeResult result;
  copyFigures(wire, result);
  return result;
}

}  // namespace tessaro
