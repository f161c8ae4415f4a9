// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeResult.h"

#include "drives/FixedDecimal.h"

namespace tessaro {

namespace {

std::string gigabytes(uint64_t bytes) { return fixedDecimal(double(bytes) / 1e9, 2); }

std::string megabytes(uint64_t bytes) { return fixedDecimal(double(bytes) / 1e6, 1); }

}  // namespace

std::string ProbeResult::verdictLine() const {
  switch (verdict) {
    case Verdict::genuine:
      return "Genuine: all " + std::to_string(samples) + " samples read back";
    case Verdict::counterfeit:
      return "Counterfeit: only the first " + gigabytes(usableBytes) + " GB of " +
             gigabytes(claimedBytes) + " GB hold data";
    case Verdict::damaged: {
      const Region first = badRegions.empty() ? Region{} : badRegions.front();
      return "Damaged: data read back wrong between " + megabytes(first.begin) + " MB and " +
             megabytes(first.end) + " MB";
    }
    case Verdict::failed:
      return failure == Failure::refusedWrites
                 ? "Failed: the drive refused writes after " +
                       megabytes(failedAfterBytes.value_or(0)) + " MB"
                 : "Failed: the drive stopped storing data after " +
                       megabytes(failedAfterBytes.value_or(0)) + " MB written";
  }
  return {};
}

}  // namespace tessaro
