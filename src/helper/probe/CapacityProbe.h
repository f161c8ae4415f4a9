// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QRandomGenerator>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "drives/ProbePlan.h"
#include "drives/ProbeProgress.h"
#include "drives/ProbeResult.h"
#include "helper/probe/ProbeSignature.h"
#include "helper/probe/ProbeTarget.h"

namespace tessaro {

// Tests how much of a drive really holds data: writes signature blocks over
// the claimed size, reads them back and finds where the drive stops keeping
// them (see ProbePlan for where and why). Destroys what the blocks it writes
// held. Runs synchronously.
//
// A drive that refuses requests is told apart from a counterfeit one: after
// every refused request the probe reads the first block again, which every
// drive really stores, and when that is refused too the drive has stopped
// answering, and the probe ends with stoppedResponding, not a verdict.
class CapacityProbe {
 public:
  using ProgressHandler = std::function<void(const ProbeProgress&)>;
  using CancelCheck = std::function<bool()>;

  // Error codes in ErrorDomain::capacityProbe.
  enum Code : int { stoppedResponding = 2, tooSmall = 3 };

  // A seed makes the samples and the nonce repeatable (tests only).
  explicit CapacityProbe(ProbeTarget& target, ProbePlan::Settings settings = {},
                         std::optional<quint64> seed = std::nullopt);

  // Throws cancelledError() when isCancelled says so (checked before every
  // write and read), an Error with stoppedResponding when the drive stopped
  // answering, or the target's Error when it fails otherwise.
  ProbeResult run(const ProgressHandler& onProgress = {}, const CancelCheck& isCancelled = {});

 private:
  struct Boundary {
    std::optional<quint64> lastGood;
    std::optional<quint64> firstBad;
  };

  void measureSpeed();
  // Writes samples (highest first), then fillerBytes at the start of the
  // drive from the top down, and reads the samples back. With sentinels, the
  // filler stops once it has brought every sample past a cache that a
  // sentinel going bad revealed, and never before minimumFiller.
  void runRound(const std::vector<quint64>& samples, quint64 fillerBytes, quint64 minimumFiller,
                std::vector<quint64> sentinels);
  // Whether the last round's bad samples are explained by blocks lost past
  // the real size or moved by a multiple of the power of two above it, as on
  // drives whose controller counts to a power of two: then every sample
  // below the first bad one is real. A wrap anywhere else can leave a sample
  // past the real size intact, and only the survey finds where it begins.
  bool wrapsAtAPowerOfTwo() const;
  ProbeTarget::Outcome writeSigned(quint64 offset, quint64 bytes);
  ProbeTarget::Outcome readInto(quint64 offset, quint64 bytes);
  ProbeSignature::Reading inspectAt(quint64 offset, qsizetype blockInBuffer) const;
  // After a refused request: throws stoppedResponding when the drive refuses
  // the first block too.
  void noteRefusal();
  void checkCancel() const;
  void step();
  Boundary boundary() const;
  ProbeResult result() const;

  ProbeTarget& target_;
  ProbePlan::Settings settings_;
  QRandomGenerator random_;
  ProbeSignature signature_;
  std::unique_ptr<char, void (*)(void*)> buffer_;
  std::unique_ptr<char, void (*)(void*)> anchor_;
  quint64 covered_ = 0;

  std::map<quint64, ProbeSignature::Kind> states_;
  std::map<quint64, quint64> writtenBefore_;  // sample → bytes written when it was
  std::set<quint64> refusedWrites_;
  // (reader, writtenAt) of the last round's samples that held another's block.
  std::vector<std::pair<quint64, quint64>> aliases_;
  std::optional<quint64> cacheBound_;  // the lying cache holds less than this
  quint64 cacheFound_ = 0;
  quint64 writeBytesPerSecond_ = 0;
  quint64 readBytesPerSecond_ = 0;

  quint64 bytesWritten_ = 0;
  quint64 bytesRead_ = 0;
  quint64 plannedBytes_ = 0;
  qint64 startedAtMs_ = 0;
  double shownFraction_ = 0;
  ProgressHandler onProgress_;
  CancelCheck isCancelled_;
};

}  // namespace tessaro
