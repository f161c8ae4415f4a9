// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "drives/ProbeResult.h"
#include "helper/probe/ProbeSignature.h"

namespace tessaro {

// What a capacity test's readings add up to. Every stretch it wrote and read
// back (or tried to) is one observation: where it lies, what came back, and
// when in the run it was written. A drive that keeps data only up to some
// offset is a counterfeit; one that lost data written after some point of
// the run, wherever it went, failed; one that lost data in places with good
// data above them is damaged. An I/O error alone decides nothing: it is one
// more stretch that did not hold.
class ProbeJudgement {
 public:
  enum class Kind {
    intact,        // read back as written
    aliased,       // read back another offset's block: two offsets share a place
    lost,          // read back as anything else
    readFailed,    // the drive refused to read it back
    writeRefused,  // the drive refused to take it
  };
  struct Observation {
    uint64_t begin = 0;
    uint64_t end = 0;
    Kind kind = Kind::intact;
    uint64_t writtenAt = 0;      // bytes written in the run before its first byte
    uint64_t lastWrittenAt = 0;  // ... before its last block
    uint64_t takenBefore = 0;    // bytes the drive had taken when it was written
    // Written again after everything else: it tells when the drive lost
    // data, not where, and is left out of the map of bad regions.
    bool late = false;
  };
  struct Judgement {
    ProbeResult::Verdict verdict = ProbeResult::Verdict::genuine;
    uint64_t usableBytes = 0;
    std::optional<uint64_t> firstBadOffset;
    std::vector<ProbeResult::Region> badRegions;  // every stretch that did not hold, merged
    uint64_t badRegionsLeftOut = 0;
    std::optional<ProbeResult::Failure> failure;
    std::optional<uint64_t> failedAfterBytes;

    // Into result, whose claimed size is set: the verdict and where the
    // drive holds data, the bad regions, and how it failed.
    void tell(ProbeResult& result) const;
  };

  // What a block read back shows, written in generation: an earlier
  // generation of the same offset is a write the drive dropped.
  static Kind kindOf(const ProbeSignature::Reading& reading, uint64_t generation);

  static Judgement judge(std::vector<Observation> observations, uint64_t claimedBytes);
};

}  // namespace tessaro
