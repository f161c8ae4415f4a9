// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "drives/ProbeProgress.h"
#include "drives/ProbeResult.h"
#include "helper/probe/ProbeIo.h"
#include "helper/probe/ProbeJudgement.h"
#include "helper/probe/ProbeSignature.h"
#include "helper/probe/ProbeTarget.h"

namespace tessaro {

// The full capacity test, for certainty: writes a signature block over every
// block of the drive, from the first to the last, then reads every block back
// and checks it, and gives the same verdicts as the quick test (ProbeJudgement)
// with a map of the regions that did not hold. Where its readings leave
// doubt, it writes a little more: a few blocks again at the start after
// everything else, which a drive that stopped storing what it takes loses,
// and, where the only good data above a bad region is what was written last,
// as much again into the bad region, which a lying cache cannot hold besides.
// Destroys everything on the drive. Runs synchronously.
class SurfaceTest {
 public:
  using ProgressHandler = std::function<void(const ProbeProgress&)>;
  using CancelCheck = std::function<bool()>;

  static constexpr uint64_t defaultChunkBytes = uint64_t(4) << 20;
  // The largest lying cache looked for behind good data at the end.
  static constexpr uint64_t cacheLimitBytes = uint64_t(4) << 30;

  // A seed makes the nonce repeatable (tests only).
  explicit SurfaceTest(ProbeTarget& target, uint64_t chunkBytes = defaultChunkBytes,
                       std::optional<uint64_t> seed = std::nullopt);

  // Throws as CapacityProbe::run does.
  ProbeResult run(const ProgressHandler& onProgress = {}, const CancelCheck& isCancelled = {});

 private:
  using Kind = ProbeJudgement::Kind;
  // Consecutive blocks that read back alike: aliased ones each held the
  // block written at writer (+ its distance from begin when writerFollows).
  struct Run {
    uint64_t begin = 0;
    uint64_t end = 0;
    Kind kind = Kind::intact;
    uint64_t writer = 0;
    bool writerFollows = true;
  };

  void writePass();
  void readPass();
  void add(uint64_t offset, Kind kind, uint64_t writer = 0);
  // The offsets that cannot be real: those that shared a place with a lower one.
  std::vector<ProbeResult::Region> sharedPlaces() const;
  std::vector<ProbeJudgement::Observation> observations() const;
  ProbeJudgement::Observation observed(uint64_t begin, uint64_t end, Kind kind) const;
  // Writes blocks again where the pass found data held, after everything else.
  void writeLate(uint64_t below);
  // Flushes a cache that may have answered for the good data at the end.
  void flushPastCache(const ProbeJudgement::Judgement& found);
  void checkCancel() const;
  void step();

  ProbeTarget& target_;
  uint64_t chunkBytes_;
  ProbeSignature signature_;
  ProbeIo io_;
  uint64_t covered_ = 0;
  ProgressHandler onProgress_;
  CancelCheck isCancelled_;

  std::vector<uint64_t> writtenAt_;  // per chunk: bytes written before it
  std::vector<uint64_t> takenAt_;    // ... and taken
  std::vector<Run> refused_;         // writes the drive refused, lowest first
  std::vector<Run> runs_;            // what the read pass found, lowest first
  std::vector<ProbeJudgement::Observation> late_;
  uint64_t plannedBytes_ = 0;
  uint64_t lastMoved_ = 0;
  std::int64_t lastMovedAtNs_ = 0;
  std::optional<uint64_t> bytesPerSecond_;
  uint64_t writeNs_ = 0;
  uint64_t readNs_ = 0;
};

}  // namespace tessaro
