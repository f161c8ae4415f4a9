// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "contract/HelperContract.h"
#include "contract/Json.h"

namespace tessaro::contract {

// What a capacity test found: the probe verb's result event. Members, each
// written and read here alone: "verdict" and "mode" by name; the counts
// (whole numbers from 0) "claimedBytes", "usableBytes", "samples", "intact",
// "aliased", "lost", "badRegionsLeftOut", "retriedWrites", "retriedReads",
// "bytesWritten", "bytesRead", "cacheBytes", "writeBytesPerSecond",
// "readBytesPerSecond"; "firstBadOffset", "failedAfterBytes" and
// "cacheRuledOutBytes", a count or null; "badRegions", a list of [begin, end]
// pairs; "failure", its name or null; "writeErrors" and "readErrors", each
// {"requests", "bytes", "firstOffset"}; "seconds", the time taken;
// "speedPartial" and "tableCleared", true or false.
struct ProbeResult {
  static constexpr const char* event = "result";
  static constexpr const char* verb = HelperContract::probeVerb;

  enum class Verdict {
    genuine,      // every block read back as written
    counterfeit,  // holds data only up to usableBytes; past it, never
    damaged,      // loses data in badRegions, holds it above and below them
    failed,       // refused writes, or stopped storing them, from some point of the run on
  };
  enum class Mode {
    quick,  // samples over the drive behind writes that flush a lying cache
    full,   // every block written, then every block read back
  };
  // Why a drive failed.
  enum class Failure {
    refusedWrites,   // it answered writes with errors from some point on
    stoppedStoring,  // it took writes but kept none of them from some point on
  };
  // A stretch of the drive, [begin, end) in bytes.
  struct Region {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    bool operator==(const Region&) const = default;
  };
  // Requests the drive failed again when they were tried a second time.
  struct Trouble {
    std::uint64_t requests = 0;
    std::uint64_t bytes = 0;
    std::optional<std::uint64_t> firstOffset;  // the lowest offset among them
    bool operator==(const Trouble&) const = default;
  };

  Verdict verdict = Verdict::genuine;
  Mode mode = Mode::quick;
  std::uint64_t claimedBytes = 0;
  std::int64_t samples = 0;  // blocks written and read back (every block in a full test)
  std::int64_t intact = 0;
  std::int64_t aliased = 0;  // held, or shared their place with, another offset's block
  std::int64_t lost = 0;     // read back as something else, or refused by the drive
  // Where the stretch from the start that holds data ends: the claimed size
  // for a genuine drive; for a counterfeit, the end of the last intact block
  // below the first bad one; for a damaged drive, the start of the first bad
  // region; 0 for a failed one.
  std::uint64_t usableBytes = 0;
  std::optional<std::uint64_t> firstBadOffset;  // counterfeit: the lowest sample that did not hold
  // damaged, and a full test's map: where data was lost, lowest first, at
  // most maxRegions of them (badRegionsLeftOut more were not kept).
  static constexpr std::size_t maxRegions = 64;
  std::vector<Region> badRegions;
  std::uint64_t badRegionsLeftOut = 0;
  // failed: how, and how many bytes had been written when it began.
  std::optional<Failure> failure;
  std::optional<std::uint64_t> failedAfterBytes;
  // Requests that failed twice, and those that failed once and went through
  // when tried again.
  Trouble writeErrors;
  Trouble readErrors;
  std::uint64_t retriedWrites = 0;
  std::uint64_t retriedReads = 0;
  std::uint64_t bytesWritten = 0;
  std::uint64_t bytesRead = 0;
  std::int64_t milliseconds = 0;  // told in seconds
  // The write cache found answering reads of what it did not store: about
  // this many bytes; 0 when none was found.
  std::uint64_t cacheBytes = 0;
  // Quick test: no lying write cache of up to this many bytes can have hid
  // missing capacity (what was written after the first block read back).
  // None for a full test, which writes every block.
  std::optional<std::uint64_t> cacheRuledOutBytes = 0;
  // Sequential speeds from acknowledged writes and reads only; 0 when there
  // was too little to time. speedPartial: some of the timed writes were refused.
  std::uint64_t writeBytesPerSecond = 0;
  std::uint64_t readBytesPerSecond = 0;
  bool speedPartial = false;
  // Whether the partition table the test wrote over is gone, as far as the
  // kernel knows: false when clearing it or telling the kernel failed.
  bool tableCleared = true;

  bool genuine() const { return verdict == Verdict::genuine; }
  // Every region of the claimed size that is no bad region.
  std::vector<Region> goodRegions() const;
  // The helper's exit status after this verdict (HelperContract::Status).
  int exitStatus() const;

  void writeTo(Json& members) const;
  // None unless every figure is there, in range and consistent with the others.
  static std::optional<ProbeResult> readFrom(const Json& members);
  bool operator==(const ProbeResult&) const = default;
};

}  // namespace tessaro::contract
