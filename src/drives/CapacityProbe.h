// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QRandomGenerator>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "drives/ProbePlan.h"
#include "drives/ProbeProgress.h"
#include "drives/ProbeResult.h"
#include "drives/ProbeSignature.h"
#include "drives/ProbeTarget.h"

namespace tessaro {

// Tests how much of a drive really holds data: writes signature blocks over
// the whole claimed size, reads them back and finds where the drive stops
// keeping them. Destroys what the sampled blocks held. Runs synchronously.
class CapacityProbe {
 public:
  using ProgressHandler = std::function<void(const ProbeProgress&)>;
  using CancelCheck = std::function<bool()>;

  // Error codes in ErrorDomain::capacityProbe.
  enum Code : int { unreadable = 2, tooSmall = 3 };

  // A seed makes the samples and the nonce repeatable (tests only).
  explicit CapacityProbe(ProbeTarget& target, ProbePlan::Settings settings = {},
                         std::optional<quint64> seed = std::nullopt);

  // Throws cancelledError() when isCancelled says so (checked before every
  // write and read), an Error when the drive refuses every block (unreadable)
  // or fails otherwise (the target's error).
  ProbeResult run(const ProgressHandler& onProgress = {}, const CancelCheck& isCancelled = {});

 private:
  struct Boundary {
    std::optional<quint64> lastGood;
    std::optional<quint64> firstBad;
  };

  // Writes, flushes and reads back one round; true when the drive refused all of it.
  bool runRound(const std::vector<ProbePlan::Extent>& extents);
  void step();
  Boundary boundary() const;
  ProbeResult result() const;

  ProbeTarget& target_;
  ProbePlan::Settings settings_;
  QRandomGenerator random_;
  ProbeSignature::Nonce nonce_{};
  std::unique_ptr<char, void (*)(void*)> buffer_;
  quint64 bufferBytes_ = 0;
  quint64 shadowBytes_ = 0;

  std::map<quint64, ProbeSignature::Kind> states_;
  quint64 bytesWritten_ = 0;
  quint64 bytesRead_ = 0;
  quint64 plannedBytes_ = 0;
  qint64 startedAtMs_ = 0;
  double shownFraction_ = 0;
  ProgressHandler onProgress_;
  CancelCheck isCancelled_;
};

}  // namespace tessaro
