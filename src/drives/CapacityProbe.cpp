// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/CapacityProbe.h"

#include <QDateTime>
#include <algorithm>
#include <cstdlib>

#include "exec/Error.h"

namespace tessaro {

namespace {

constexpr quint64 kBlock = ProbeSignature::blockBytes;

quint64 bytesOf(const std::vector<ProbePlan::Extent>& extents) {
  quint64 bytes = 0;
  for (const auto& extent : extents) bytes += extent.blocks * kBlock;
  return bytes;
}

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

}  // namespace

CapacityProbe::CapacityProbe(ProbeTarget& target, ProbePlan::Settings settings,
                             std::optional<quint64> seed)
    : target_(target),
      settings_(settings),
      random_(seed ? QRandomGenerator(quint32(*seed ^ (*seed >> 32)))
                   : QRandomGenerator::securelySeeded()),
      buffer_(nullptr, std::free) {
  settings_.chunkBytes = std::max(settings_.chunkBytes / kBlock, quint64(1)) * kBlock;
  // Without a seed random_ is seeded from the operating system's entropy, so
  // every run's nonce is new.
  nonce_ = {random_.generate64(), random_.generate64()};
  bufferBytes_ = settings_.chunkBytes;
  buffer_.reset(static_cast<char*>(std::aligned_alloc(kBlock, bufferBytes_)));
  if (!buffer_) throw std::bad_alloc();
}

ProbeResult CapacityProbe::run(const ProgressHandler& onProgress, const CancelCheck& isCancelled) {
  onProgress_ = onProgress;
  isCancelled_ = isCancelled;
  startedAtMs_ = nowMs();
  const quint64 claimed = target_.sizeBytes();
  if (ProbePlan::coveredBytes(claimed) == 0) {
    throw Error(ErrorDomain::capacityProbe, tooSmall,
                QStringLiteral("The drive is too small to test its capacity."));
  }
  shadowBytes_ = ProbePlan::shadowBytes(claimed, settings_);
  const auto survey = ProbePlan::round(ProbePlan::survey(claimed, settings_, random_), shadowBytes_,
                                       settings_.chunkBytes);
  // Planned: the survey and, as a counterfeit needs it, one refinement round.
  const quint64 refinementBytes =
      shadowBytes_ + quint64(std::max(settings_.refinementSamples, 0)) * kBlock;
  plannedBytes_ = 2 * (bytesOf(survey) + refinementBytes);
  if (runRound(survey)) {
    throw Error(ErrorDomain::capacityProbe, unreadable,
                QStringLiteral("The drive refused every write and read of the test."));
  }

  for (int round = 0; round < settings_.refinementRounds; ++round) {
    const Boundary found = boundary();
    if (!found.firstBad) break;
    std::vector<quint64> samples;
    for (const quint64 offset :
         ProbePlan::refinement(found.lastGood, *found.firstBad, settings_.refinementSamples)) {
      if (offset >= shadowBytes_ && !states_.contains(offset)) samples.push_back(offset);
    }
    if (samples.empty()) break;
    const auto extents = ProbePlan::round(samples, shadowBytes_, settings_.chunkBytes);
    plannedBytes_ = bytesWritten_ + bytesRead_ + 2 * bytesOf(extents);
    runRound(extents);
  }

  if (onProgress_) onProgress_({1.0, 0});
  return result();
}

bool CapacityProbe::runRound(const std::vector<ProbePlan::Extent>& extents) {
  const auto checkCancel = [this] {
    if (isCancelled_ && isCancelled_()) throw cancelledError();
  };
  std::vector<bool> refused(extents.size(), false);
  quint64 refusedBlocks = 0;
  for (size_t i = 0; i < extents.size(); ++i) {
    checkCancel();
    const auto& extent = extents[i];
    const quint64 bytes = extent.blocks * kBlock;
    for (quint64 block = 0; block < extent.blocks; ++block) {
      ProbeSignature::write(extent.offset + block * kBlock, nonce_,
                            std::span<char>(buffer_.get() + block * kBlock, kBlock));
    }
    refused[i] = target_.write(extent.offset, std::span<const char>(buffer_.get(), bytes)) ==
                 ProbeTarget::Outcome::mediaError;
    bytesWritten_ += bytes;
    step();
  }
  checkCancel();
  target_.flush();

  // (reader, writtenAt) of every block that came back holding another's signature.
  std::vector<std::pair<quint64, quint64>> aliases;
  for (size_t i = 0; i < extents.size(); ++i) {
    checkCancel();
    const auto& extent = extents[i];
    const quint64 bytes = extent.blocks * kBlock;
    const bool readRefused = target_.read(extent.offset, std::span<char>(buffer_.get(), bytes)) ==
                             ProbeTarget::Outcome::mediaError;
    bytesRead_ += bytes;
    for (quint64 block = 0; block < extent.blocks; ++block) {
      const quint64 offset = extent.offset + block * kBlock;
      if (refused[i] || readRefused) {
        states_[offset] = ProbeSignature::Kind::lost;
        ++refusedBlocks;
        continue;
      }
      const auto reading = ProbeSignature::inspect(
          offset, nonce_, std::span<const char>(buffer_.get() + block * kBlock, kBlock));
      states_[offset] = reading.kind;
      if (reading.kind == ProbeSignature::Kind::aliased) {
        aliases.emplace_back(offset, reading.writtenAt);
      }
    }
    step();
  }
  // A block written at a higher offset that turned up at a lower one lives
  // there, whatever reading its own offset showed: the lower one is where the
  // drive keeps it, the higher one is not real.
  for (const auto& [reader, writtenAt] : aliases) {
    if (writtenAt <= reader) continue;
    if (auto it = states_.find(writtenAt); it != states_.end()) {
      it->second = ProbeSignature::Kind::aliased;
    }
  }
  return refusedBlocks == bytesOf(extents) / kBlock;
}

void CapacityProbe::step() {
  if (!onProgress_) return;
  ProbeProgress progress =
      ProbeProgress::estimate(bytesWritten_ + bytesRead_, plannedBytes_, nowMs() - startedAtMs_);
  progress.fraction = std::min(std::max(progress.fraction, shownFraction_), 0.999);
  shownFraction_ = progress.fraction;
  onProgress_(progress);
}

CapacityProbe::Boundary CapacityProbe::boundary() const {
  Boundary found;
  for (const auto& [offset, kind] : states_) {
    if (kind != ProbeSignature::Kind::intact) {
      found.firstBad = offset;
      break;
    }
    found.lastGood = offset;
  }
  return found;
}

ProbeResult CapacityProbe::result() const {
  ProbeResult result;
  result.claimedBytes = target_.sizeBytes();
  result.samples = qint64(states_.size());
  for (const auto& [offset, kind] : states_) {
    switch (kind) {
      case ProbeSignature::Kind::intact:
        ++result.intact;
        break;
      case ProbeSignature::Kind::aliased:
        ++result.aliased;
        break;
      case ProbeSignature::Kind::lost:
        ++result.lost;
        break;
    }
  }
  const Boundary found = boundary();
  result.firstBadOffset = found.firstBad;
  result.usableBytes = !found.firstBad  ? result.claimedBytes
                       : found.lastGood ? *found.lastGood + kBlock
                                        : 0;
  result.bytesWritten = bytesWritten_;
  result.bytesRead = bytesRead_;
  result.milliseconds = nowMs() - startedAtMs_;
  return result;
}

}  // namespace tessaro
