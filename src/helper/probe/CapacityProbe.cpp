// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/probe/CapacityProbe.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>

#include "exec/Error.h"

namespace tessaro {

namespace {

constexpr quint64 kBlock = ProbeSignature::blockBytes;
constexpr quint64 kMiB = quint64(1) << 20;
// The sentinels are read whenever what was written since them has grown by
// this many parts in 16, so that a cache is measured to within about 6 %.
constexpr quint64 kCheckGrowthSixteenths = 17;
constexpr size_t kSentinels = 4;

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

QRandomGenerator generatorFor(std::optional<quint64> seed) {
  // Without a seed the generator comes from the operating system's entropy,
  // so every run's nonce is new.
  return seed ? QRandomGenerator(quint32(*seed ^ (*seed >> 32)))
              : QRandomGenerator::securelySeeded();
}

}  // namespace

CapacityProbe::CapacityProbe(ProbeTarget& target, ProbePlan::Settings settings,
                             std::optional<quint64> seed)
    : target_(target),
      settings_(settings),
      random_(generatorFor(seed)),
      signature_(ProbeSignature::Nonce{random_.generate64(), random_.generate64()}),
      buffer_(nullptr, std::free),
      anchor_(nullptr, std::free) {
  settings_.chunkBytes = std::max(settings_.chunkBytes / kBlock, quint64(1)) * kBlock;
  buffer_.reset(static_cast<char*>(std::aligned_alloc(kBlock, settings_.chunkBytes)));
  anchor_.reset(static_cast<char*>(std::aligned_alloc(kBlock, kBlock)));
  if (!buffer_ || !anchor_) throw std::bad_alloc();
}

ProbeResult CapacityProbe::run(const ProgressHandler& onProgress, const CancelCheck& isCancelled) {
  onProgress_ = onProgress;
  isCancelled_ = isCancelled;
  startedAtMs_ = nowMs();
  covered_ = ProbePlan::coveredBytes(target_.sizeBytes());
  if (covered_ == 0) {
    throw Error(ErrorDomain::capacityProbe, tooSmall,
                QStringLiteral("The drive is too small to test its capacity."));
  }
  const std::vector<quint64> quick = ProbePlan::quick(covered_);
  const quint64 quickFiller = std::min(settings_.quickShadowBytes, covered_);
  const quint64 surveyFiller =
      std::min(std::max(settings_.shadowBytes, settings_.cacheLimitBytes), covered_);
  const quint64 surveyBlocks =
      covered_ / std::max<quint64>(ProbePlan::surveyShadow(covered_, settings_) / 2, kBlock);
  // Planned: the path of a genuine drive, the longest one.
  plannedBytes_ = 2 * std::min(settings_.speedBytes, covered_ / 4) + 2 * quick.size() * kBlock +
                  quickFiller + 2 * (surveyBlocks + quick.size()) * kBlock + surveyFiller;

  measureSpeed();
  runRound(quick, quickFiller, quickFiller, {});
  // Settled by the quick round: lost blocks past the real size, or blocks
  // moved by a power of two, which the quick round finds to the block. What
  // is left between its last good and first bad block loses what is written
  // there, so that no filler is needed to show it, and few blocks a round
  // close in on it in few requests.
  const bool settledQuickly = boundary().firstBad && wrapsAtAPowerOfTwo();
  if (!settledQuickly) {
    // Nothing wrong so far, which may be a cache answering for lost blocks,
    // or blocks that moved other than by a power of two, so that a sample
    // past the real size may have read back intact: the survey, with the
    // quick round's blocks again, behind a filler that looks for the cache.
    std::vector<quint64> samples = ProbePlan::survey(covered_, settings_, random_);
    samples.insert(samples.end(), quick.begin(), quick.end());
    std::sort(samples.begin(), samples.end(), std::greater<>());
    samples.erase(std::unique(samples.begin(), samples.end()), samples.end());
    const std::vector<quint64> sentinels(quick.begin(),
                                         quick.begin() + std::min(quick.size(), kSentinels));
    runRound(samples, surveyFiller, ProbePlan::surveyShadow(covered_, settings_), sentinels);
  }

  for (int round = 0; round < settings_.refinementRounds; ++round) {
    const Boundary found = boundary();
    if (!found.firstBad) break;
    int count = settledQuickly
                    ? settings_.quickRefinementSamples
                    : ProbePlan::refinementCount(found.lastGood, *found.firstBad, settings_);
    // Behind a large cache every round costs its filler: where every block
    // between the two costs less than that, one round takes them all.
    const quint64 gap = *found.firstBad - (found.lastGood ? *found.lastGood + kBlock : 0);
    if (cacheBound_ && 2 * gap <= *cacheBound_ &&
        gap / kBlock <= quint64(ProbePlan::maxRefinementSamples)) {
      count = int(std::max<quint64>(gap / kBlock, quint64(count)));
    }
    std::vector<quint64> samples;
    for (const quint64 offset : ProbePlan::refinement(found.lastGood, *found.firstBad, count)) {
      if (!states_.contains(offset)) samples.push_back(offset);
    }
    if (samples.empty()) break;
    // The first bad block again, written first: a candidate that shares its
    // place shows there.
    samples.insert(samples.begin(), *found.firstBad);
    const quint64 spacing = ProbePlan::refinementSpacing(found.lastGood, *found.firstBad, count);
    const quint64 filler =
        std::min(std::max(settledQuickly ? 0 : spacing, cacheBound_.value_or(0)), covered_);
    plannedBytes_ = bytesWritten_ + bytesRead_ + 2 * samples.size() * kBlock + filler;
    runRound(samples, filler, filler, {});
  }

  if (onProgress_) onProgress_({1.0, 0, bytesWritten_ + bytesRead_});
  return result();
}

void CapacityProbe::measureSpeed() {
  const quint64 region = std::min(settings_.speedBytes, covered_ / 4) / kBlock * kBlock;
  if (region < kBlock) return;
  QElapsedTimer clock;
  clock.start();
  for (quint64 at = 0; at < region; at += settings_.chunkBytes) {
    checkCancel();
    if (writeSigned(at, std::min(settings_.chunkBytes, region - at)) ==
        ProbeTarget::Outcome::mediaError) {
      noteRefusal();
    }
    step();
  }
  target_.flush();
  const qint64 writeNs = std::max<qint64>(clock.nsecsElapsed(), 1);
  clock.restart();
  for (quint64 at = 0; at < region; at += settings_.chunkBytes) {
    checkCancel();
    if (readInto(at, std::min(settings_.chunkBytes, region - at)) ==
        ProbeTarget::Outcome::mediaError) {
      noteRefusal();
    }
    step();
  }
  const qint64 readNs = std::max<qint64>(clock.nsecsElapsed(), 1);
  // Too short to time (under a millisecond): no figure rather than a wild one.
  if (region >= kMiB && writeNs >= 1'000'000 && readNs >= 1'000'000) {
    writeBytesPerSecond_ = quint64(double(region) * 1e9 / double(writeNs));
    readBytesPerSecond_ = quint64(double(region) * 1e9 / double(readNs));
  }
}

void CapacityProbe::runRound(const std::vector<quint64>& samples, quint64 fillerBytes,
                             quint64 minimumFiller, std::vector<quint64> sentinels) {
  aliases_.clear();
  // Reads the sentinels whenever what was written since the first of them has
  // grown by a sixteenth. A sentinel that reads back wrong has left the
  // drive's cache, if it has one: the cache holds less than what was written
  // since. When it read back intact at the last look although what shows now
  // had been written before that look, the cache answered then: it holds at
  // least what had been written since it by then. The filler then only has to
  // take every sample past that cache.
  std::map<quint64, quint64> cleanAfter;    // sentinel → bytes written since it, last intact
  std::map<quint64, quint64> chunkWritten;  // filler chunk → bytes written when it was
  const auto writtenWhen = [&](quint64 offset) -> std::optional<quint64> {
    if (const auto it = writtenBefore_.find(offset); it != writtenBefore_.end()) return it->second;
    const auto chunk = chunkWritten.upper_bound(offset);
    if (chunk == chunkWritten.begin()) return std::nullopt;
    return std::prev(chunk)->second;
  };
  quint64 nextCheck = 64 * 1024;
  quint64 lastLook = bytesWritten_;
  quint64 needed = fillerBytes;  // filler after the samples
  const auto watchCache = [&] {
    if (sentinels.empty()) return;
    const quint64 sinceFirst = bytesWritten_ - writtenBefore_[sentinels.front()];
    if (sinceFirst < nextCheck) return;
    nextCheck = std::max(sinceFirst + kBlock, sinceFirst * kCheckGrowthSixteenths / 16);
    bool tripped = false;
    for (const quint64 sentinel : sentinels) {
      checkCancel();
      const quint64 since = bytesWritten_ - writtenBefore_[sentinel];
      if (readInto(sentinel, kBlock) == ProbeTarget::Outcome::mediaError) {
        noteRefusal();
        continue;
      }
      const ProbeSignature::Reading reading = inspectAt(sentinel, 0);
      if (reading.kind == ProbeSignature::Kind::intact) {
        cleanAfter[sentinel] = since;
        continue;
      }
      tripped = true;
      cacheBound_ = std::min(cacheBound_.value_or(since), since);
      const auto shownSince = reading.kind == ProbeSignature::Kind::aliased
                                  ? writtenWhen(reading.writtenAt)
                                  : std::optional<quint64>(0);
      if (cleanAfter.contains(sentinel) && shownSince && *shownSince <= lastLook) {
        // Somewhere between the two: the middle is off by at most half a step.
        cacheFound_ = std::max(cacheFound_, (cleanAfter[sentinel] + since) / 2);
      }
    }
    lastLook = bytesWritten_;
    if (!tripped) return;
    sentinels.clear();
    needed = std::min(needed, *cacheBound_);
  };

  for (const quint64 offset : samples) {
    checkCancel();
    if (writeSigned(offset, kBlock) == ProbeTarget::Outcome::mediaError) {
      refusedWrites_.insert(offset);
      noteRefusal();
    } else {
      refusedWrites_.erase(offset);
    }
    writtenBefore_[offset] = bytesWritten_;
    step();
    watchCache();
  }

  // The filler, from the top down. In a round that looks for a cache it
  // leaves the samples alone, so that every sample has the whole filler
  // written after it; elsewhere it writes the samples inside it again, so
  // that where the filler above the real size wrapped onto a real sample,
  // the sample's own block is back once it has passed.
  const std::set<quint64> sampled(samples.begin(), samples.end());
  const bool skipSamples = !sentinels.empty();
  quint64 top = std::max(needed, minimumFiller);
  quint64 filled = 0;
  while (top > 0) {
    checkCancel();
    const quint64 bytes = std::min(settings_.chunkBytes, top);
    top -= bytes;
    // The pieces of [top, top + bytes) to write, and the samples among them.
    std::vector<std::pair<quint64, quint64>> pieces;
    quint64 from = top;
    if (skipSamples) {
      for (auto it = sampled.lower_bound(top); it != sampled.end() && *it < top + bytes; ++it) {
        if (*it > from) pieces.emplace_back(from, *it);
        from = *it + kBlock;
      }
    }
    if (from < top + bytes) pieces.emplace_back(from, top + bytes);
    bool refused = false;
    for (const auto& [begin, end] : pieces) {
      refused |= writeSigned(begin, end - begin) == ProbeTarget::Outcome::mediaError;
    }
    if (refused) noteRefusal();
    chunkWritten[top] = bytesWritten_;
    filled += bytes;
    if (!skipSamples) {
      for (auto it = sampled.lower_bound(top); it != sampled.end() && *it < top + bytes; ++it) {
        writtenBefore_[*it] = bytesWritten_;
        if (refused) {
          refusedWrites_.insert(*it);
        } else {
          refusedWrites_.erase(*it);
        }
      }
    }
    step();
    if (top == 0) break;
    watchCache();
    // A cache found part way: every sample has had `filled` bytes written
    // after it; what is still to write, down from the shadow at least, has to
    // take each past the cache.
    const quint64 rest = std::max(minimumFiller, needed > filled ? needed - filled : 0);
    if (needed < fillerBytes && top > rest) {
      top = rest;
      plannedBytes_ = bytesWritten_ + bytesRead_ + top + samples.size() * kBlock;
    }
  }
  checkCancel();
  target_.flush();

  for (const quint64 offset : samples) {
    checkCancel();
    const quint64 since = bytesWritten_ - writtenBefore_[offset];
    const bool readRefused = readInto(offset, kBlock) == ProbeTarget::Outcome::mediaError;
    step();
    if (readRefused || refusedWrites_.contains(offset)) {
      if (readRefused) noteRefusal();
      states_[offset] = ProbeSignature::Kind::lost;
      continue;
    }
    const ProbeSignature::Reading reading = inspectAt(offset, 0);
    // A filler block from above that turned up here: either this offset is
    // real and the filler wrapped onto it past the real size, or both are
    // not. Only a later round can tell.
    if (reading.kind == ProbeSignature::Kind::aliased && reading.writtenAt > offset &&
        !sampled.contains(reading.writtenAt)) {
      if (const auto it = states_.find(offset);
          it != states_.end() && it->second == ProbeSignature::Kind::intact) {
        states_.erase(it);
      }
      continue;
    }
    // A block once found wrong stays so: the drive did not keep it then.
    if (reading.kind == ProbeSignature::Kind::intact) {
      states_.try_emplace(offset, reading.kind);
      continue;
    }
    states_[offset] = reading.kind;
    // Wrong after `since` bytes: whatever cache the drive has holds less.
    cacheBound_ = std::min(cacheBound_.value_or(since), since);
    if (reading.kind == ProbeSignature::Kind::aliased) {
      aliases_.emplace_back(offset, reading.writtenAt);
    }
  }
  // Two offsets that share a place: a block written at a higher offset that
  // turned up at a lower one lives there, whatever reading its own offset
  // showed, so the higher one is not real. And where a block written at w
  // turned up at r above it, w is not real either unless r lies at least w
  // above it: a drive that wraps keeps [0, R) and sends r to r - kR, so r - w
  // is a multiple of R, and R > w when w is real.
  for (const auto& [reader, writtenAt] : aliases_) {
    const bool writerLost = writtenAt > reader || reader - writtenAt <= writtenAt;
    if (!writerLost) continue;
    if (auto it = states_.find(writtenAt); it != states_.end()) {
      it->second = ProbeSignature::Kind::aliased;
    }
  }
}

bool CapacityProbe::wrapsAtAPowerOfTwo() const {
  const Boundary found = boundary();
  if (!found.firstBad) return true;
  quint64 power = kBlock;
  const quint64 real = found.lastGood ? *found.lastGood + kBlock : kBlock;
  while (power < real && power != 0) power <<= 1;
  if (power == 0) return false;
  return std::all_of(aliases_.begin(), aliases_.end(), [power](const auto& alias) {
    const quint64 apart =
        alias.first > alias.second ? alias.first - alias.second : alias.second - alias.first;
    return apart % power == 0;
  });
}

ProbeTarget::Outcome CapacityProbe::writeSigned(quint64 offset, quint64 bytes) {
  for (quint64 block = 0; block < bytes; block += kBlock) {
    signature_.write(offset + block, std::span<char>(buffer_.get() + block, kBlock));
  }
  bytesWritten_ += bytes;
  return target_.write(offset, std::span<const char>(buffer_.get(), bytes));
}

ProbeTarget::Outcome CapacityProbe::readInto(quint64 offset, quint64 bytes) {
  bytesRead_ += bytes;
  return target_.read(offset, std::span<char>(buffer_.get(), bytes));
}

ProbeSignature::Reading CapacityProbe::inspectAt(quint64 offset, qsizetype blockInBuffer) const {
  return signature_.inspect(offset,
                            std::span<const char>(buffer_.get() + blockInBuffer * kBlock, kBlock));
}

void CapacityProbe::noteRefusal() {
  // What was moved before this request, which the drive refused.
  const quint64 moved = bytesWritten_ + bytesRead_;
  checkCancel();
  // The anchor goes through the buffer of its own: the caller's block stays.
  if (target_.read(0, std::span<char>(anchor_.get(), kBlock)) == ProbeTarget::Outcome::done) {
    return;
  }
  const double seconds = double(nowMs() - startedAtMs_) / 1000.0;
  throw Error(
      ErrorDomain::capacityProbe, stoppedResponding,
      QStringLiteral("the drive stopped responding after %1 MB had been written and read, "
                     "%2 s into the test")
          .arg(QString::number(double(moved) / 1e6, 'f', 1), QString::number(seconds, 'f', 1)));
}

void CapacityProbe::checkCancel() const {
  if (isCancelled_ && isCancelled_()) throw cancelledError();
}

void CapacityProbe::step() {
  if (!onProgress_) return;
  ProbeProgress progress = ProbeProgress::estimate(
      bytesWritten_ + bytesRead_, std::max(plannedBytes_, quint64(1)), nowMs() - startedAtMs_);
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
  result.cacheBytes = cacheFound_;
  result.writeBytesPerSecond = writeBytesPerSecond_;
  result.readBytesPerSecond = readBytesPerSecond_;
  return result;
}

}  // namespace tessaro
