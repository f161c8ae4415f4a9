// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/probe/CapacityProbe.h"

#include <algorithm>
#include <cstdlib>

#include "helper/probe/ProbeError.h"

namespace tessaro {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kBlock = ProbeSignature::blockBytes;
constexpr std::uint64_t kMiB = std::uint64_t(1) << 20;
// The sentinels are read whenever what was written since them has grown by
// this many parts in 16, so that a cache is measured to within about 6 %.
constexpr std::uint64_t kCheckGrowthSixteenths = 17;
// Sentinels read at every look: the highest, and a few more in turn.
constexpr size_t kSentinels = 4;
constexpr size_t kSentinelsInTurn = 16;
// Writes refused in a row at offsets below one the drive took: it takes no more.
constexpr int kRefusalsToStop = 8;
constexpr int kMostEdges = 16;

ProbePlan::Settings inWholeBlocks(ProbePlan::Settings settings) {
  settings.chunkBytes = std::max(settings.chunkBytes / kBlock, std::uint64_t(1)) * kBlock;
  return settings;
}

std::int64_t nanosecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
}

}  // namespace

CapacityProbe::CapacityProbe(ProbeTarget& target, ProbePlan::Settings settings,
                             std::optional<std::uint64_t> seed)
    : target_(target),
      settings_(inWholeBlocks(settings)),
      random_(ProbePlan::generator(seed)),
      signature_(ProbeSignature::Nonce{random_(), random_()}),
      io_(target, settings_.chunkBytes, signature_, [this] { checkCancel(); }) {}

ProbeResult CapacityProbe::run(const ProgressHandler& onProgress, const CancelCheck& isCancelled) {
  onProgress_ = onProgress;
  isCancelled_ = isCancelled;
  covered_ = ProbePlan::coveredBytes(target_.sizeBytes());
  if (covered_ == 0) {
    throw ProbeError(ProbeError::tooSmall, "The drive is too small to test its capacity.");
  }
  // The quick round's samples, with the sentinels among them.
  std::vector<std::uint64_t> quick = ProbePlan::quick(covered_);
  const std::vector<std::uint64_t> ladder = ProbePlan::sentinels(covered_, settings_);
  quick.insert(quick.end(), ladder.begin(), ladder.end());
  std::sort(quick.begin(), quick.end(), std::greater<>());
  quick.erase(std::unique(quick.begin(), quick.end()), quick.end());
  const std::uint64_t quickFiller = ProbePlan::quickFiller(covered_, settings_);
  const std::uint64_t limit = ProbePlan::cacheLimit(covered_, settings_);
  const std::uint64_t shadow = ProbePlan::surveyShadow(covered_, settings_);
  const std::uint64_t surveyBlocks = covered_ / std::max<std::uint64_t>(shadow / 2, kBlock);
  // Planned: the path of a genuine drive, the longest one.
  plannedBytes_ = 3 * quick.size() * kBlock + 2 * quickFiller + 2 * surveyBlocks * kBlock + limit +
                  std::uint64_t(settings_.fillerChecks) * kBlock;

  // The quick round: its samples, then the timed sequential region behind
  // them, read back whole. Its samples are the first writes of the run, the
  // sentinels that find or rule out a lying cache from here on.
  sentinels_ = quick;
  firstSentinelAt_ = io_.bytesWritten();
  writeSamples(quick);
  // What rules a cache out is written after the lowest of the ladder.
  sentinelsWritten_ = written_[ladder.back()].at + kBlock;
  std::set<std::uint64_t> sampled(quick.begin(), quick.end());
  const std::vector<Chunk> timed = writeFiller(
      {.regionBytes = quickFiller, .bytes = quickFiller, .minimum = quickFiller, .timed = true},
      sampled);
  checkCancel();
  io_.flush();
  readBackTimed(quickFiller, timed, sampled);
  readSamples(quick, sampled);

  // Settled by the quick round: lost blocks past the real size, or blocks
  // moved by a power of two, which the quick round finds to the block. What
  // is left between its last good and first bad block loses what is written
  // there, so that no filler is needed to show it, and few blocks a round
  // close in on it in few requests. A drive that failed needs nothing more.
  const ProbeResult::Verdict first = judge().verdict;
  const bool settledQuickly = first == ProbeResult::Verdict::counterfeit && wrapsAtAPowerOfTwo();
  if (!settledQuickly && first != ProbeResult::Verdict::failed) {
    // Nothing wrong so far, which may be a cache answering for lost blocks,
    // or blocks that moved other than by a power of two, so that a sample
    // past the real size may have read back intact: the survey, behind a
    // filler that looks for the cache. The quick round's samples stay as they
    // were written, the oldest writes of the run.
    std::vector<std::uint64_t> survey;
    for (const std::uint64_t offset : ProbePlan::survey(covered_, settings_, random_)) {
      if (!sampled.contains(offset)) survey.push_back(offset);
    }
    writeSamples(survey);
    sampled.insert(survey.begin(), survey.end());
    // Written after the last sentinel: the limit in the end.
    const std::uint64_t since = io_.bytesWritten() - sentinelsWritten_;
    const std::uint64_t wanted = limit > since ? limit - since : 0;
    const std::vector<Chunk> chunks = writeFiller({.regionBytes = std::max(limit, shadow),
                                                   .bytes = std::max(wanted, shadow),
                                                   .minimum = shadow,
                                                   .keepSamples = true,
                                                   .timed = true,
                                                   .watch = true},
                                                  sampled);
    checkCancel();
    io_.flush();
    ruledOut_ = io_.bytesWritten() - sentinelsWritten_;
    readSamples(std::vector<std::uint64_t>(sampled.rbegin(), sampled.rend()), sampled);
    checkFiller(chunks, sampled, settings_.fillerChecks);
  } else {
    ruledOut_ = io_.bytesWritten() - sentinelsWritten_;
  }

  refine(settledQuickly);
  if (onProgress_) onProgress_({1.0, 0, io_.bytesWritten() + io_.bytesRead()});
  return result();
}

void CapacityProbe::writeSamples(const std::vector<std::uint64_t>& samples) {
  const std::uint64_t generation = ++generation_;
  for (const std::uint64_t offset : samples) {
    checkCancel();
    const Written before{io_.bytesWritten(), io_.bytesTaken(), generation};
    if (io_.write(offset, kBlock, generation)) {
      refusedWrites_.erase(offset);
    } else {
      refusedWrites_.insert(offset);
    }
    written_[offset] = before;
    step();
  }
}

std::vector<CapacityProbe::Chunk> CapacityProbe::writeFiller(
    const Filler& plan, const std::set<std::uint64_t>& sampled) {
  std::vector<Chunk> chunks;
  const std::uint64_t region = plan.regionBytes / kBlock * kBlock;
  if (region == 0) return chunks;
  const std::uint64_t generation = ++generation_;
  const auto blocksFor = [](std::uint64_t bytes) { return (bytes + kBlock - 1) / kBlock * kBlock; };
  std::uint64_t needed = plan.bytes;
  std::uint64_t written = 0;  // bytes of filler written so far
  // From the top down to the start of the drive, so that it ends on the
  // blocks any wrap sends the region above the real size to; again from the
  // top of the region while more is needed than it holds.
  std::uint64_t top = std::min(region, blocksFor(std::max(needed, plan.minimum)));
  bool lastStretch = false;  // the filler ends where top reaches 0
  std::uint64_t nextLook = 64 * 1024;
  std::uint64_t sinceCheck = 0;
  bool watchingSentinels = plan.watch && !sentinels_.empty();
  cleanAfter_.clear();
  lastLook_ = io_.bytesWritten();
  std::int64_t timedNs = 0;
  std::uint64_t timedBytes = 0;
  // A cache found, or filler lost: what still has to be written goes at the
  // start of the drive, and is never less than the least filler, which is
  // what shows a wrap between the samples.
  const auto endWith = [&](std::uint64_t rest) {
    top = std::min(top, blocksFor(std::max(plan.minimum, rest)));
    lastStretch = true;
  };

  bool again = false;  // around the region again
  while (true) {
    const std::uint64_t target = std::max(needed, plan.minimum);
    const bool done =
        top == 0 ? lastStretch || written >= target : again && !lastStretch && written >= target;
    if (done) {
      // One last look at the sentinels, which a cache as large as all that
      // was written since them lets go only now.
      std::uint64_t now = 0;
      if (lastStretch || !watchingSentinels || !watchSentinels(now)) {
        if (plan.watch && watchingSentinels) surveyFoundNoCache_ = true;
        break;
      }
      watchingSentinels = false;
      needed = *cacheBound_;
      endWith(needed > written ? needed - written : 0);
      continue;
    }
    if (top == 0) {
      top = region;
      again = true;
    }
    checkCancel();
    std::uint64_t bytes = std::min(settings_.chunkBytes, top);
    if (again && !lastStretch) bytes = std::min(bytes, blocksFor(target - written));
    top -= bytes;
    // The pieces of [top, top + bytes) to write: with keepSamples, those
    // between the samples.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> pieces;
    std::uint64_t from = top;
    if (plan.keepSamples) {
      for (auto it = sampled.lower_bound(top); it != sampled.end() && *it < top + bytes; ++it) {
        if (*it > from) pieces.emplace_back(from, *it);
        from = *it + kBlock;
      }
    }
    if (from < top + bytes) pieces.emplace_back(from, top + bytes);
    Chunk chunk{top, bytes, io_.bytesWritten(), io_.bytesTaken(), generation, true};
    for (const auto& [begin, end] : pieces) {
      const std::uint64_t at = io_.bytesWritten();
      const std::uint64_t taken = io_.bytesTaken();
      const Clock::time_point started = Clock::now();
      written += end - begin;
      if (io_.write(begin, end - begin, generation)) {
        if (plan.timed) {
          timedNs += nanosecondsSince(started);
          timedBytes += end - begin;
        }
        continue;
      }
      chunk.taken = false;
      if (plan.timed) speedPartial_ = true;
      refusedFiller_.push_back({begin, end, Kind::writeRefused, at, at, taken});
    }
    chunks.push_back(chunk);
    chunkWritten_[top] = chunk.writtenAt;
    if (!plan.keepSamples) {
      // The samples inside were written again, with the filler.
      for (auto it = sampled.lower_bound(top); it != sampled.end() && *it < top + bytes; ++it) {
        written_[*it] = {chunk.writtenAt, chunk.takenBefore, generation};
        if (chunk.taken) {
          refusedWrites_.erase(*it);
        } else {
          refusedWrites_.insert(*it);
        }
      }
    }
    step();
    // A drive that refuses writes below what it took takes no more: what it
    // holds is all there is to read.
    if (io_.unexplainedRefusals() >= kRefusalsToStop) break;
    if (!plan.watch || lastStretch) continue;

    // A look back at what was written a while ago: lost now, it was lost
    // then, and no cache as large as what came after it answers for it.
    sinceCheck += bytes;
    if (sinceCheck >= settings_.watchBytes) {
      sinceCheck = 0;
      for (auto it = chunks.rbegin(); it != chunks.rend(); ++it) {
        const std::uint64_t since = io_.bytesWritten() - it->writtenAt;
        if (since < settings_.lagBytes) continue;
        if (!it->taken) break;
        std::uint64_t offset = it->top;
        while (sampled.contains(offset) && offset + kBlock < it->top + it->bytes) offset += kBlock;
        if (sampled.contains(offset)) break;
        if (!checkFillerBlock(offset, *it)) {
          cacheBound_ = std::min(cacheBound_.value_or(since), since);
          needed = written;
          endWith(0);
        }
        break;
      }
    }
    if (!lastStretch && watchingSentinels && watchSentinels(nextLook)) {
      watchingSentinels = false;
      // A cache found, smaller than what was written after the first
      // sample: every sample needs as much written after it, and no more.
      needed = *cacheBound_;
      endWith(needed > written ? needed - written : 0);
    }
    if (lastStretch) {
      plannedBytes_ = io_.bytesWritten() + io_.bytesRead() + top + sampled.size() * kBlock +
                      std::uint64_t(settings_.fillerChecks) * kBlock;
    }
  }
  if (plan.timed && timedBytes >= kMiB && timedNs >= 1'000'000) {
    writeBytesPerSecond_ = std::uint64_t(double(timedBytes) * 1e9 / double(timedNs));
  }
  return chunks;
}

bool CapacityProbe::watchSentinels(std::uint64_t& nextLook) {
  const std::uint64_t sinceFirst = io_.bytesWritten() - written_[sentinels_.front()].at;
  const bool final = nextLook == 0;
  if (sinceFirst < nextLook) return false;
  nextLook = std::max(sinceFirst + kBlock, sinceFirst * kCheckGrowthSixteenths / 16);
  // A sentinel that reads back wrong has left the drive's cache, if it has
  // one: the cache holds less than what was written since. When it read
  // back intact at the last look although what shows now had been written
  // before that look, the cache answered then: it holds at least what had
  // been written since it by then.
  const auto writtenWhen = [&](std::uint64_t offset) -> std::optional<std::uint64_t> {
    if (const auto it = written_.find(offset); it != written_.end()) return it->second.at;
    const auto chunk = chunkWritten_.upper_bound(offset);
    if (chunk == chunkWritten_.begin()) return std::nullopt;
    return std::prev(chunk)->second;
  };
  // The highest sentinels, and the others a few at a time; all of them
  // when the filler is done (nextLook 0).
  std::vector<std::uint64_t> looked(sentinels_.begin(),
                                    sentinels_.begin() + std::min(sentinels_.size(), kSentinels));
  for (size_t i = 0; i < kSentinelsInTurn && kSentinels + i < sentinels_.size(); ++i) {
    looked.push_back(sentinels_[kSentinels + (nextInTurn_ + i) % (sentinels_.size() - kSentinels)]);
  }
  nextInTurn_ += kSentinelsInTurn;
  if (final) looked = sentinels_;
  bool tripped = false;
  for (const std::uint64_t sentinel : looked) {
    checkCancel();
    if (refusedWrites_.contains(sentinel)) continue;
    const std::uint64_t since = io_.bytesWritten() - written_[sentinel].at;
    if (!io_.read(sentinel, kBlock)) continue;
    const ProbeSignature::Reading reading = io_.inspect(sentinel, 0);
    if (ProbeJudgement::kindOf(reading, written_[sentinel].generation) == Kind::intact) {
      cleanAfter_[sentinel] = since;
      continue;
    }
    tripped = true;
    cacheSeen_ = true;
    cacheBound_ = std::min(cacheBound_.value_or(since), since);
    const auto shownSince = reading.kind == ProbeSignature::Kind::aliased
                                ? writtenWhen(reading.writtenAt)
                                : std::optional<std::uint64_t>(0);
    if (cleanAfter_.contains(sentinel) && shownSince && *shownSince <= lastLook_) {
      // Somewhere between the two: the middle is off by at most half a step.
      cacheFound_ = std::max(cacheFound_, (cleanAfter_[sentinel] + since) / 2);
    }
  }
  lastLook_ = io_.bytesWritten();
  return tripped;
}

void CapacityProbe::readSamples(const std::vector<std::uint64_t>& samples,
                                const std::set<std::uint64_t>& sampled) {
  aliases_.clear();
  for (const std::uint64_t offset : samples) {
    checkCancel();
    const Written when = written_[offset];
    const std::uint64_t since = io_.bytesWritten() - when.at;
    const std::uint64_t readAt = io_.bytesWritten();
    if (refusedWrites_.contains(offset)) {
      states_[offset] = {Kind::writeRefused, when.at, when.taken, kBlock, readAt};
      continue;
    }
    const bool read = io_.read(offset, kBlock);
    step();
    if (!read) {
      states_[offset] = {Kind::readFailed, when.at, when.taken, kBlock, readAt};
      continue;
    }
    const ProbeSignature::Reading reading = io_.inspect(offset, 0);
    // A block from above that turned up here, written after this one: either
    // this offset is real and the higher one wrapped onto it past the real
    // size, or both are not. Only a later round can tell; the higher one is
    // not real either way.
    if (reading.kind == ProbeSignature::Kind::aliased && reading.writtenAt > offset) {
      if (const auto it = states_.find(offset);
          it != states_.end() && it->second.kind == Kind::intact)
        states_.erase(it);
      if (sampled.contains(reading.writtenAt)) aliases_.emplace_back(offset, reading.writtenAt);
      continue;
    }
    // A block once found wrong stays so: the drive did not keep it then.
    const Kind kind = ProbeJudgement::kindOf(reading, when.generation);
    if (kind == Kind::intact) {
      Sample& sample = states_.try_emplace(offset).first->second;
      if (sample.kind == Kind::intact) sample = {Kind::intact, when.at, when.taken, kBlock, readAt};
      continue;
    }
    states_[offset] = {kind, when.at, when.taken, kBlock, readAt};
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
      it->second.kind = Kind::aliased;
    }
  }
}

bool CapacityProbe::checkFillerBlock(std::uint64_t offset, const Chunk& chunk) {
  checkCancel();
  // Within one request the blocks go to the drive in order.
  const std::uint64_t into = offset - chunk.top;
  const Sample when{Kind::intact, chunk.writtenAt + into, chunk.takenBefore + into, kBlock,
                    io_.bytesWritten()};
  if (!io_.read(offset, kBlock)) {
    fillerChecks_[offset] = {Kind::readFailed, when.writtenAt, when.takenBefore, kBlock,
                             when.readAt};
    return false;
  }
  const ProbeSignature::Reading reading = io_.inspect(offset, 0);
  if (reading.kind == ProbeSignature::Kind::aliased && reading.writtenAt > offset) {
    // Filler from above that landed here: the higher offset is not real;
    // whether this one is, a sample tells.
    fillerChecks_[reading.writtenAt] = {Kind::aliased, when.writtenAt, when.takenBefore, kBlock,
                                        when.readAt};
    return false;
  }
  const Kind kind = ProbeJudgement::kindOf(reading, chunk.generation);
  fillerChecks_[offset] = {kind, when.writtenAt, when.takenBefore, kBlock, when.readAt};
  return kind == Kind::intact;
}

void CapacityProbe::readBackTimed(std::uint64_t bytes, const std::vector<Chunk>& chunks,
                                  const std::set<std::uint64_t>& sampled) {
  bytes = bytes / kBlock * kBlock;
  if (bytes == 0) return;
  std::map<std::uint64_t, const Chunk*> latest;  // by top: what each piece holds now
  for (const Chunk& chunk : chunks) latest[chunk.top] = &chunk;
  std::int64_t timedNs = 0;
  std::uint64_t timedBytes = 0;
  for (std::uint64_t at = 0; at < bytes; at += settings_.chunkBytes) {
    checkCancel();
    const std::uint64_t length = std::min(settings_.chunkBytes, bytes - at);
    const Clock::time_point started = Clock::now();
    const bool read = io_.read(at, length);
    step();
    if (read) {
      timedNs += nanosecondsSince(started);
      timedBytes += length;
    }
    for (std::uint64_t block = 0; block < length; block += kBlock) {
      const std::uint64_t offset = at + block;
      auto chunk = latest.upper_bound(offset);
      if (sampled.contains(offset) || chunk == latest.begin()) continue;
      const Chunk& from = *std::prev(chunk)->second;
      if (!from.taken) continue;  // kept as refused already
      const std::uint64_t at = from.writtenAt + (offset - from.top);
      const std::uint64_t taken = from.takenBefore + (offset - from.top);
      const std::uint64_t readAt = io_.bytesWritten();
      if (!read) {
        fillerChecks_[offset] = {Kind::readFailed, at, taken, kBlock, readAt};
        continue;
      }
      const ProbeSignature::Reading reading = io_.inspect(offset, std::int64_t(block / kBlock));
      if (reading.kind == ProbeSignature::Kind::aliased && reading.writtenAt > offset) {
        fillerChecks_[reading.writtenAt] = {Kind::aliased, at, taken, kBlock, readAt};
        continue;
      }
      fillerChecks_[offset] = {ProbeJudgement::kindOf(reading, from.generation), at, taken, kBlock,
                               readAt};
    }
  }
  if (timedBytes >= kMiB && timedNs >= 1'000'000) {
    readBytesPerSecond_ = std::uint64_t(double(timedBytes) * 1e9 / double(timedNs));
  }
}

void CapacityProbe::checkFiller(const std::vector<Chunk>& chunks,
                                const std::set<std::uint64_t>& sampled, int count) {
  std::map<std::uint64_t, const Chunk*> latest;
  std::uint64_t volume = 0;
  for (const Chunk& chunk : chunks) {
    latest[chunk.top] = &chunk;
    volume += chunk.bytes;
  }
  if (count <= 0 || volume == 0) return;
  // Evenly over the volume written, so that a drive that stopped keeping
  // what it took after some amount shows it, wherever that went.
  const std::uint64_t spacing = std::max<std::uint64_t>(volume / std::uint64_t(count), kBlock);
  std::uint64_t passed = 0;
  std::uint64_t next = spacing / 2;
  for (const Chunk& chunk : chunks) {
    while (next < passed + chunk.bytes) {
      std::uint64_t offset = chunk.top + (next - passed) / kBlock * kBlock;
      next += spacing;
      while (sampled.contains(offset) && offset + kBlock < chunk.top + chunk.bytes)
        offset += kBlock;
      const Chunk& now = *latest[chunk.top];
      if (sampled.contains(offset) || !now.taken) continue;
      checkFillerBlock(offset, now);
      step();
    }
    passed += chunk.bytes;
  }
}

void CapacityProbe::refine(bool settledQuickly) {
  for (int round = 0; round < settings_.refinementRounds; ++round) {
    const ProbeJudgement::Judgement found = judge();
    std::vector<std::uint64_t> samples;
    std::uint64_t filler = 0;
    if (found.verdict == ProbeResult::Verdict::counterfeit) {
      const Boundary edge = boundary();
      if (!edge.firstBad) break;
      int count = settledQuickly
                      ? settings_.quickRefinementSamples
                      : ProbePlan::refinementCount(edge.lastGood, *edge.firstBad, settings_);
      // Behind a large cache every round costs its filler: where every block
      // between the two costs less than that, one round takes them all.
      const std::uint64_t gap = *edge.firstBad - (edge.lastGood ? *edge.lastGood + kBlock : 0);
      if (cacheBound_ && 2 * gap <= *cacheBound_ &&
          gap / kBlock <= std::uint64_t(ProbePlan::maxRefinementSamples)) {
        count = int(std::max<std::uint64_t>(gap / kBlock, std::uint64_t(count)));
      }
      for (const std::uint64_t offset :
           ProbePlan::refinement(edge.lastGood, *edge.firstBad, count)) {
        if (!states_.contains(offset)) samples.push_back(offset);
      }
      if (samples.empty()) break;
      // The first bad block again, written first: a candidate that shares its
      // place shows there.
      samples.insert(samples.begin(), *edge.firstBad);
      const std::uint64_t spacing =
          ProbePlan::refinementSpacing(edge.lastGood, *edge.firstBad, count);
      filler = std::max(settledQuickly ? 0 : spacing, cacheToFlush());
    } else if (found.verdict == ProbeResult::Verdict::damaged) {
      // Both edges of every bad region, between the nearest readings either
      // side that held and did not.
      std::vector<std::pair<std::uint64_t, bool>> seen;  // offset, held
      for (const auto& [offset, sample] : states_)
        seen.emplace_back(offset, sample.kind == Kind::intact);
      for (const auto& [offset, sample] : fillerChecks_)
        seen.emplace_back(offset, sample.kind == Kind::intact);
      std::sort(seen.begin(), seen.end());
      std::vector<std::pair<std::optional<std::uint64_t>, std::uint64_t>>
          gaps;  // (last one side, first other)
      for (size_t i = 1; i < seen.size() && gaps.size() < size_t(kMostEdges); ++i) {
        if (seen[i].second != seen[i - 1].second && seen[i].first > seen[i - 1].first + kBlock)
          gaps.emplace_back(seen[i - 1].first, seen[i].first);
      }
      if (!seen.empty() && !seen.front().second && seen.front().first > 0)
        gaps.emplace_back(std::nullopt, seen.front().first);
      if (gaps.empty()) break;
      const int count = std::max(settings_.refinementSamples / int(gaps.size()), 16);
      for (const auto& [low, high] : gaps) {
        for (const std::uint64_t offset : ProbePlan::refinement(low, high, count)) {
          if (!states_.contains(offset) && !fillerChecks_.contains(offset))
            samples.push_back(offset);
        }
      }
      if (samples.empty()) break;
      std::sort(samples.begin(), samples.end(), std::greater<>());
      samples.erase(std::unique(samples.begin(), samples.end()), samples.end());
      filler = std::max(settings_.quickShadowBytes, cacheToFlush());
    } else {
      break;
    }
    filler = std::min(filler, covered_);
    plannedBytes_ = io_.bytesWritten() + io_.bytesRead() + 2 * samples.size() * kBlock + filler;
    writeSamples(samples);
    const std::set<std::uint64_t> sampled(samples.begin(), samples.end());
    writeFiller({.regionBytes = filler, .bytes = filler, .minimum = filler}, sampled);
    checkCancel();
    io_.flush();
    readSamples(samples, sampled);
  }
}

std::uint64_t CapacityProbe::cacheToFlush() const {
  // After a survey that found no cache, none up to what it wrote is there,
  // and a larger one is beyond any filler a round could write: whatever the
  // bad samples bounded, there is nothing to flush.
  if (surveyFoundNoCache_) return 0;
  return cacheBound_.value_or(0);
}

bool CapacityProbe::wrapsAtAPowerOfTwo() const {
  const Boundary found = boundary();
  if (!found.firstBad) return true;
  std::uint64_t power = kBlock;
  const std::uint64_t real = found.lastGood ? *found.lastGood + kBlock : kBlock;
  while (power < real && power != 0) power <<= 1;
  if (power == 0) return false;
  return std::all_of(aliases_.begin(), aliases_.end(), [power](const auto& alias) {
    const std::uint64_t apart =
        alias.first > alias.second ? alias.first - alias.second : alias.second - alias.first;
    return apart % power == 0;
  });
}

CapacityProbe::Boundary CapacityProbe::boundary() const {
  Boundary found;
  for (const auto& [offset, sample] : states_) {
    if (sample.kind != Kind::intact) {
      found.firstBad = offset;
      break;
    }
    found.lastGood = offset;
  }
  return found;
}

ProbeJudgement::Judgement CapacityProbe::judge() const {
  // Behind a cache that was seen, a block read back before as much as it
  // may hold was written after it may have come from the cache: such a
  // reading says nothing when it held.
  const std::uint64_t answerable = cacheSeen_ ? cacheBound_.value_or(0) : 0;
  std::vector<ProbeJudgement::Observation> seen;
  seen.reserve(states_.size() + fillerChecks_.size() + refusedFiller_.size());
  for (const auto& group : {&states_, &fillerChecks_}) {
    for (const auto& [offset, sample] : *group) {
      if (sample.kind == Kind::intact && sample.readAt - sample.writtenAt < answerable) continue;
      seen.push_back({offset, offset + sample.bytes, sample.kind, sample.writtenAt,
                      sample.writtenAt, sample.takenBefore});
    }
  }
  seen.insert(seen.end(), refusedFiller_.begin(), refusedFiller_.end());
  return ProbeJudgement::judge(std::move(seen), covered_);
}

void CapacityProbe::checkCancel() const {
  if (isCancelled_ && isCancelled_()) throw ProbeError(ProbeError::cancelled, "Cancelled");
}

void CapacityProbe::step() {
  if (!onProgress_) return;
  ProbeProgress progress = ProbeProgress::estimate(io_.bytesWritten() + io_.bytesRead(),
                                                   std::max(plannedBytes_, std::uint64_t(1)),
                                                   io_.nanosecondsSinceStart() / 1'000'000);
  progress.fraction = std::min(std::max(progress.fraction, shownFraction_), 0.999);
  shownFraction_ = progress.fraction;
  onProgress_(progress);
}

ProbeResult CapacityProbe::result() const {
  const ProbeJudgement::Judgement found = judge();
  ProbeResult result;
  result.mode = ProbeResult::Mode::quick;
  result.claimedBytes = target_.sizeBytes();
  found.tell(result);
  io_.tell(result);
  // Only a damaged drive's bad regions are a map: a quick test's samples
  // leave most of a counterfeit's unread.
  if (found.verdict != ProbeResult::Verdict::damaged) {
    result.badRegions.clear();
    result.badRegionsLeftOut = 0;
  }
  for (const auto& group : {&states_, &fillerChecks_}) {
    for (const auto& [offset, sample] : *group) {
      ++result.samples;
      switch (sample.kind) {
        case Kind::intact:
          ++result.intact;
          break;
        case Kind::aliased:
          ++result.aliased;
          break;
        default:
          ++result.lost;
          break;
      }
    }
  }
  result.cacheBytes = cacheFound_;
  result.cacheRuledOutBytes = ruledOut_;
  result.writeBytesPerSecond = writeBytesPerSecond_;
  result.readBytesPerSecond = readBytesPerSecond_;
  result.speedPartial = speedPartial_;
  return result;
}

}  // namespace tessaro
