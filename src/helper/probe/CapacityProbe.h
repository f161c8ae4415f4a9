// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QRandomGenerator>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
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

  // Error codes in ErrorDomain::capacityProbe.
  enum Code : int { stoppedResponding = ProbeIo::stoppedResponding, tooSmall = 3 };

  // A seed makes the samples and the nonce repeatable (tests only).
  explicit CapacityProbe(ProbeTarget& target, ProbePlan::Settings settings = {},
                         std::optional<quint64> seed = std::nullopt);

  // Throws cancelledError() when isCancelled says so (checked before every
  // write and read), an Error with stoppedResponding when the drive stopped
  // answering, or the target's Error when it fails otherwise.
  ProbeResult run(const ProgressHandler& onProgress = {}, const CancelCheck& isCancelled = {});

 private:
  using Kind = ProbeJudgement::Kind;
  struct Sample {
    Kind kind = Kind::intact;
    quint64 writtenAt = 0;    // bytes written before its last write
    quint64 takenBefore = 0;  // bytes the drive had taken then
    quint64 bytes = ProbeSignature::blockBytes;
    quint64 readAt = 0;  // bytes written when it was read back
  };
  struct Written {
    quint64 at = 0;          // bytes written before it
    quint64 taken = 0;       // bytes the drive had taken then
    quint64 generation = 0;  // of the blocks written then
  };
  // A piece of filler as it was written: bytes from top, when, and whether the drive took it.
  struct Chunk {
    quint64 top = 0;
    quint64 bytes = 0;
    quint64 writtenAt = 0;
    quint64 takenBefore = 0;
    quint64 generation = 0;
    bool taken = true;
  };
  struct Filler {
    quint64 regionBytes = 0;   // written over [0, regionBytes) from the top down, again if need be
    quint64 bytes = 0;         // written at most
    quint64 minimum = 0;       // written at least
    bool keepSamples = false;  // leave sampled blocks out, so that they keep their write time
    bool timed = false;        // the sequential write speed is measured on it
    bool watch = false;        // look for a lying cache and for filler that is lost
  };
  struct Boundary {
    std::optional<quint64> lastGood;
    std::optional<quint64> firstBad;
  };

  // Writes samples, highest first.
  void writeSamples(const std::vector<quint64>& samples);
  // Writes the filler after them; returns what it wrote, oldest first.
  std::vector<Chunk> writeFiller(const Filler& plan, const std::set<quint64>& sampled);
  // Reads samples back, and keeps which held a block of another sample.
  void readSamples(const std::vector<quint64>& samples, const std::set<quint64>& sampled);
  // Reads a block of filler back and keeps what it showed; true when it held.
  bool checkFillerBlock(quint64 offset, const Chunk& chunk);
  // Reads the whole of [0, bytes) back in order, timed, checking every block.
  void readBackTimed(quint64 bytes, const std::vector<Chunk>& chunks,
                     const std::set<quint64>& sampled);
  // Reads count blocks spread over the volume of filler written.
  void checkFiller(const std::vector<Chunk>& chunks, const std::set<quint64>& sampled, int count);
  // Looks at the sentinels once what was written since the first has grown
  // to nextLook (at all of them for nextLook 0); true when one went bad (a
  // cache found).
  bool watchSentinels(quint64& nextLook);

  void refine(bool settledQuickly);
  // The filler a refinement round writes against a lying cache.
  quint64 cacheToFlush() const;
  bool wrapsAtAPowerOfTwo() const;
  Boundary boundary() const;
  ProbeJudgement::Judgement judge() const;

  // What a reading of a block written in generation shows: an earlier
  // generation of the same offset is a write the drive dropped.
  static Kind kindOf(const ProbeSignature::Reading& reading, quint64 generation);
  void checkCancel() const;
  void step();
  ProbeResult result() const;

  ProbeTarget& target_;
  ProbePlan::Settings settings_;
  QRandomGenerator random_;
  ProbeSignature signature_;
  ProbeIo io_;
  quint64 covered_ = 0;

  std::vector<quint64> sentinels_;  // the first samples written
  quint64 sentinelsWritten_ = 0;    // bytes written when the last of them was
  size_t nextInTurn_ = 0;
  std::map<quint64, Written> written_;      // samples by offset: their last write
  std::map<quint64, Sample> states_;        // samples by offset
  std::map<quint64, Sample> fillerChecks_;  // filler blocks read back, by offset
  std::vector<ProbeJudgement::Observation> refusedFiller_;
  std::set<quint64> refusedWrites_;  // samples whose last write the drive refused
  // (reader, writtenAt) of the last round's samples that held another's block.
  std::vector<std::pair<quint64, quint64>> aliases_;
  std::optional<quint64> cacheBound_;  // the lying cache holds less than this
  bool surveyFoundNoCache_ = false;    // its sentinels held to the end
  bool cacheSeen_ = false;             // a sentinel let go of what it was
  quint64 cacheFound_ = 0;
  std::optional<quint64> firstSentinelAt_;   // bytes written before the first sample
  quint64 ruledOut_ = 0;                     // written after it when the sentinels last held
  std::map<quint64, quint64> cleanAfter_;    // sentinel → bytes written since it, last intact
  std::map<quint64, quint64> chunkWritten_;  // filler chunk → bytes written when it was
  quint64 lastLook_ = 0;

  quint64 writeBytesPerSecond_ = 0;
  quint64 readBytesPerSecond_ = 0;
  bool speedPartial_ = false;

  quint64 generation_ = 0;  // of the last blocks written
  quint64 plannedBytes_ = 0;
  double shownFraction_ = 0;
  ProgressHandler onProgress_;
  CancelCheck isCancelled_;
};

}  // namespace tessaro
