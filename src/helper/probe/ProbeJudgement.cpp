// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/probe/ProbeJudgement.h"

#include <algorithm>
#include <limits>

namespace tessaro {

namespace {

using Verdict = ProbeResult::Verdict;

bool held(const ProbeJudgement::Observation& seen) {
  return seen.kind == ProbeJudgement::Kind::intact;
}

}  // namespace

ProbeJudgement::Kind ProbeJudgement::kindOf(const ProbeSignature::Reading& reading,
                                            uint64_t generation) {
  switch (reading.kind) {
    case ProbeSignature::Kind::intact:
      return reading.generation == generation ? Kind::intact : Kind::lost;
    case ProbeSignature::Kind::aliased:
      return Kind::aliased;
    case ProbeSignature::Kind::lost:
      break;
  }
  return Kind::lost;
}

void ProbeJudgement::Judgement::tell(ProbeResult& result) const {
  result.verdict = verdict;
  result.usableBytes = verdict == Verdict::genuine ? result.claimedBytes : usableBytes;
  result.firstBadOffset = firstBadOffset;
  result.badRegions = badRegions;
  result.badRegionsLeftOut = badRegionsLeftOut;
  result.failure = failure;
  result.failedAfterBytes = failedAfterBytes;
}

ProbeJudgement::Judgement ProbeJudgement::judge(std::vector<Observation> observations,
                                                uint64_t claimedBytes) {
  std::sort(observations.begin(), observations.end(),
            [](const Observation& a, const Observation& b) { return a.begin < b.begin; });
  Judgement judged;
  judged.usableBytes = claimedBytes;

  // Every bad stretch, merged where no good one lies between.
  bool goodSince = true;
  for (const Observation& seen : observations) {
    if (seen.late) continue;
    if (held(seen)) {
      goodSince = true;
      continue;
    }
    auto& regions = judged.badRegions;
    if (!goodSince && !regions.empty()) {
      regions.back().end = std::max(regions.back().end, seen.end);
    } else {
      regions.push_back({seen.begin, seen.end});
    }
    goodSince = false;
  }
  const auto lowest = std::find_if_not(observations.begin(), observations.end(), held);
  if (lowest == observations.end()) return judged;

  // The lowest bad offset, the earliest bad write, and what holds on the far side of each.
  const uint64_t lowestBad = lowest->begin;
  uint64_t earliestBad = std::numeric_limits<uint64_t>::max();
  const Observation* earliest = nullptr;
  bool aliasing = false;
  bool goodAbove = false;
  bool goodLater = false;
  uint64_t heldBelow = 0;
  for (const Observation& seen : observations) {
    if (!held(seen)) {
      aliasing |= seen.kind == Kind::aliased;
      if (seen.writtenAt < earliestBad) {
        earliestBad = seen.writtenAt;
        earliest = &seen;
      }
    } else if (seen.begin < lowestBad) {
      heldBelow = std::max(heldBelow, seen.end);
    }
  }
  uint64_t keptBefore = 0;  // bytes the drive had taken when the last good stretch before it was
  for (const Observation& seen : observations) {
    if (!held(seen)) continue;
    goodAbove |= seen.end > lowest->end;
    goodLater |= seen.lastWrittenAt >= earliestBad;
    if (seen.lastWrittenAt < earliestBad) {
      keptBefore = std::max(keptBefore, seen.takenBefore + (seen.end - seen.begin));
    }
  }

  const bool anyHeld = std::any_of(observations.begin(), observations.end(), held);
  if (!anyHeld && !aliasing) {
    // Nothing the drive took was kept, or it took nothing: no capacity to
    // speak of, a drive that failed from the start.
    judged.verdict = Verdict::failed;
    judged.usableBytes = 0;
    const bool refused = earliest->kind == Kind::writeRefused;
    judged.failure =
        refused ? ProbeResult::Failure::refusedWrites : ProbeResult::Failure::stoppedStoring;
    judged.failedAfterBytes = refused ? earliest->takenBefore : 0;
  } else if (aliasing || !goodAbove) {
    // Past some offset the drive keeps nothing of its own: a block of another
    // offset shows where it stores what it claims, or every stretch from
    // there up was lost.
    judged.verdict = Verdict::counterfeit;
    judged.firstBadOffset = lowestBad;
    judged.usableBytes = std::min(heldBelow, lowestBad);
  } else if (!goodLater) {
    // Everything written from some point of the run on was refused or lost,
    // wherever it went, and everything before it held.
    judged.verdict = Verdict::failed;
    judged.usableBytes = 0;
    if (earliest->kind == Kind::writeRefused) {
      judged.failure = ProbeResult::Failure::refusedWrites;
      judged.failedAfterBytes = earliest->takenBefore;
    } else {
      judged.failure = ProbeResult::Failure::stoppedStoring;
      judged.failedAfterBytes = std::min(keptBefore, earliest->takenBefore);
    }
  } else {
    judged.verdict = Verdict::damaged;
    judged.usableBytes = judged.badRegions.empty() ? lowestBad : judged.badRegions.front().begin;
  }
  if (judged.badRegions.size() > ProbeResult::maxRegions) {
    judged.badRegionsLeftOut = judged.badRegions.size() - ProbeResult::maxRegions;
    judged.badRegions.resize(ProbeResult::maxRegions);
  }
  return judged;
}

}  // namespace tessaro
