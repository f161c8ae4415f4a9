// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <vector>

#include "drives/ProbePlan.h"
#include "drives/ProbeProgress.h"
#include "drives/ProbeResult.h"
#include "helper/probe/ProbeIo.h"
#include "helper/probe/ProbeJudgement.h"
#include "helper/probe/ProbeSignature.h"
#include "helper/probe/ProbeTarget.h"

namespace tessaro {

// Tests how much of a drive really holds data, quickly: writes signature
// blocks over the claimed size, flushes any cache with further signed writes
// (the filler), reads the blocks and a sample of the filler back, and finds
// where the drive stops keeping them (see ProbePlan for where and why).
// Destroys what the blocks it writes held. Runs synchronously.
//
// Every request the drive fails is tried once more; what fails again is
// counted, kept as a stretch that did not hold, and weighed with everything
// else (ProbeJudgement): a counterfeit, a damaged drive, or one that failed.
// After every such failure the probe reads the first block again, which every
// drive really stores, and when that fails too the drive has stopped
// answering: the probe ends with stoppedResponding, not a verdict.
class CapacityProbe {
 public:
  using ProgressHandler = std::function<void(const ProbeProgress&)>;
  using CancelCheck = std::function<bool()>;

  // A seed makes the samples and the nonce repeatable (tests only).
  explicit CapacityProbe(ProbeTarget& target, ProbePlan::Settings settings = {},
                         std::optional<std::uint64_t> seed = std::nullopt);

  // Throws ProbeError: cancelled when isCancelled says so (checked before
  // every write and read), stoppedResponding when the drive stopped
  // answering, the target's when it fails otherwise.
  ProbeResult run(const ProgressHandler& onProgress = {}, const CancelCheck& isCancelled = {});

 private:
  using Kind = ProbeJudgement::Kind;
  struct Sample {
    Kind kind = Kind::intact;
    std::uint64_t writtenAt = 0;    // bytes written before its last write
    std::uint64_t takenBefore = 0;  // bytes the drive had taken then
    std::uint64_t bytes = ProbeSignature::blockBytes;
    std::uint64_t readAt = 0;  // bytes written when it was read back
  };
  struct Written {
    std::uint64_t at = 0;          // bytes written before it
    std::uint64_t taken = 0;       // bytes the drive had taken then
    std::uint64_t generation = 0;  // of the blocks written then
  };
  // A piece of filler as it was written: bytes from top, when, and whether the drive took it.
  struct Chunk {
    std::uint64_t top = 0;
    std::uint64_t bytes = 0;
    std::uint64_t writtenAt = 0;
    std::uint64_t takenBefore = 0;
    std::uint64_t generation = 0;
    bool taken = true;
  };
  struct Filler {
    std::uint64_t regionBytes =
        0;                      // written over [0, regionBytes) from the top down, again if need be
    std::uint64_t bytes = 0;    // written at most
    std::uint64_t minimum = 0;  // written at least
    bool keepSamples = false;   // leave sampled blocks out, so that they keep their write time
    bool timed = false;         // the sequential write speed is measured on it
    bool watch = false;         // look for a lying cache and for filler that is lost
  };
  struct Boundary {
    std::optional<std::uint64_t> lastGood;
    std::optional<std::uint64_t> firstBad;
  };

  // Writes samples, highest first.
  void writeSamples(const std::vector<std::uint64_t>& samples);
  // Writes the filler after them; returns what it wrote, oldest first.
  std::vector<Chunk> writeFiller(const Filler& plan, const std::set<std::uint64_t>& sampled);
  // Reads samples back, and keeps which held a block of another sample.
  void readSamples(const std::vector<std::uint64_t>& samples,
                   const std::set<std::uint64_t>& sampled);
  // Reads a block of filler back and keeps what it showed; true when it held.
  bool checkFillerBlock(std::uint64_t offset, const Chunk& chunk);
  // Reads the whole of [0, bytes) back in order, timed, checking every block.
  void readBackTimed(std::uint64_t bytes, const std::vector<Chunk>& chunks,
                     const std::set<std::uint64_t>& sampled);
  // Reads count blocks spread over the volume of filler written.
  void checkFiller(const std::vector<Chunk>& chunks, const std::set<std::uint64_t>& sampled,
                   int count);
  // Looks at the sentinels once what was written since the first has grown
  // to nextLook (at all of them for nextLook 0); true when one went bad (a
  // cache found).
  bool watchSentinels(std::uint64_t& nextLook);

  void refine(bool settledQuickly);
  // The filler a refinement round writes against a lying cache.
  std::uint64_t cacheToFlush() const;
  bool wrapsAtAPowerOfTwo() const;
  Boundary boundary() const;
  ProbeJudgement::Judgement judge() const;

  void checkCancel() const;
  void step();
  ProbeResult result() const;

  ProbeTarget& target_;
  ProbePlan::Settings settings_;
  std::mt19937_64 random_;
  ProbeSignature signature_;
  ProbeIo io_;
  std::uint64_t covered_ = 0;

  std::vector<std::uint64_t> sentinels_;  // the first samples written
  std::uint64_t sentinelsWritten_ = 0;    // bytes written when the last of them was
  size_t nextInTurn_ = 0;
  std::map<std::uint64_t, Written> written_;      // samples by offset: their last write
  std::map<std::uint64_t, Sample> states_;        // samples by offset
  std::map<std::uint64_t, Sample> fillerChecks_;  // filler blocks read back, by offset
  std::vector<ProbeJudgement::Observation> refusedFiller_;
  std::set<std::uint64_t> refusedWrites_;  // samples whose last write the drive refused
  // (reader, writtenAt) of the last round's samples that held another's block.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> aliases_;
  std::optional<std::uint64_t> cacheBound_;  // the lying cache holds less than this
  bool surveyFoundNoCache_ = false;          // its sentinels held to the end
  bool cacheSeen_ = false;                   // a sentinel let go of what it was
  std::uint64_t cacheFound_ = 0;
  std::optional<std::uint64_t> firstSentinelAt_;  // bytes written before the first sample
  std::uint64_t ruledOut_ = 0;                    // written after it when the sentinels last held
  std::map<std::uint64_t, std::uint64_t>
      cleanAfter_;  // sentinel → bytes written since it, last intact
  std::map<std::uint64_t, std::uint64_t> chunkWritten_;  // filler chunk → bytes written when it was
  std::uint64_t lastLook_ = 0;

  std::uint64_t writeBytesPerSecond_ = 0;
  std::uint64_t readBytesPerSecond_ = 0;
  bool speedPartial_ = false;

  std::uint64_t generation_ = 0;  // of the last blocks written
  std::uint64_t plannedBytes_ = 0;
  double shownFraction_ = 0;
  ProgressHandler onProgress_;
  CancelCheck isCancelled_;
};

}  // namespace tessaro
