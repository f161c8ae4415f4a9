// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/probe/SurfaceTest.h"

#include <algorithm>
#include <random>

#include "drives/ProbePlan.h"
#include "helper/probe/ProbeError.h"

namespace tessaro {

namespace {

constexpr uint64_t kBlock = ProbeSignature::blockBytes;
constexpr int kLateBlocks = 16;
constexpr size_t kMostPairedRuns = 4096;
constexpr int kCacheChecks = 256;
// The generations of what the test writes: the pass over every block, the
// blocks written again after it, and what flushes a cache.
constexpr uint64_t kPass = 1;
constexpr uint64_t kLate = 2;
constexpr uint64_t kFlush = 3;

ProbeSignature::Nonce nonceFor(std::optional<uint64_t> seed) {
  std::mt19937_64 random = ProbePlan::generator(seed);
  return {random(), random()};
}

using Region = ProbeResult::Region;

// Regions sorted and merged.
std::vector<Region> merged(std::vector<Region> regions) {
  std::sort(regions.begin(), regions.end(),
            [](const Region& a, const Region& b) { return a.begin < b.begin; });
  std::vector<Region> out;
  for (const Region& region : regions) {
    if (region.begin >= region.end) continue;
    if (!out.empty() && region.begin <= out.back().end) {
      out.back().end = std::max(out.back().end, region.end);
    } else {
      out.push_back(region);
    }
  }
  return out;
}

}  // namespace

SurfaceTest::SurfaceTest(ProbeTarget& target, uint64_t chunkBytes, std::optional<uint64_t> seed)
    : target_(target),
      chunkBytes_(std::max<uint64_t>(chunkBytes / kBlock, 1) * kBlock),
      signature_(nonceFor(seed)),
      io_(target, chunkBytes_, signature_, [this] { checkCancel(); }) {}

ProbeResult SurfaceTest::run(const ProgressHandler& onProgress, const CancelCheck& isCancelled) {
  onProgress_ = onProgress;
  isCancelled_ = isCancelled;
  covered_ = ProbePlan::coveredBytes(target_.sizeBytes());
  if (covered_ == 0) {
    throw ProbeError(ProbeError::tooSmall, "The drive is too small to test its capacity.");
  }
  plannedBytes_ = 2 * covered_;
  writePass();
  checkCancel();
  io_.flush();
  readPass();

  ProbeJudgement::Judgement found = ProbeJudgement::judge(observations(), covered_);
  if (found.verdict == ProbeResult::Verdict::damaged) {
    flushPastCache(found);
    found = ProbeJudgement::judge(observations(), covered_);
  }
  // Written in the order of their offsets, a drive that stopped keeping what
  // it took after some amount looks like one that keeps only so much: a few
  // blocks written again where data held tell them apart.
  if (found.verdict != ProbeResult::Verdict::genuine) {
    writeLate(found.badRegions.empty() ? covered_ : found.badRegions.front().begin);
    found = ProbeJudgement::judge(observations(), covered_);
  }
  if (onProgress_) onProgress_({1.0, 0, io_.bytesWritten() + io_.bytesRead()});

  ProbeResult result;
  result.mode = ProbeResult::Mode::full;
  result.cacheRuledOutBytes = std::nullopt;  // every block was written before any was read
  result.claimedBytes = target_.sizeBytes();
  found.tell(result);
  io_.tell(result);
  const std::vector<Region> shared = sharedPlaces();
  for (const Run& run : runs_) {
    const uint64_t blocks = (run.end - run.begin) / kBlock;
    result.samples += std::int64_t(blocks);
    if (run.kind == Kind::lost || run.kind == Kind::readFailed || run.kind == Kind::writeRefused) {
      result.lost += std::int64_t(blocks);
      continue;
    }
    // Blocks of this run within places shared with a lower offset count as aliased.
    uint64_t sharing = 0;
    for (const Region& region : shared) {
      const uint64_t from = std::max(region.begin, run.begin);
      const uint64_t to = std::min(region.end, run.end);
      if (from < to) sharing += (to - from) / kBlock;
    }
    const uint64_t aliased = run.kind == Kind::aliased ? blocks : sharing;
    result.aliased += std::int64_t(aliased);
    result.intact += std::int64_t(blocks - aliased);
  }
  const uint64_t taken = io_.bytesTaken();
  if (writeNs_ >= 1'000'000 && taken >= (uint64_t(1) << 20))
    result.writeBytesPerSecond = uint64_t(double(taken) * 1e9 / double(writeNs_));
  if (readNs_ >= 1'000'000 && covered_ >= (uint64_t(1) << 20))
    result.readBytesPerSecond = uint64_t(double(covered_) * 1e9 / double(readNs_));
  result.speedPartial = io_.writeErrors().requests > 0;
  return result;
}

void SurfaceTest::writePass() {
  const uint64_t chunks = (covered_ + chunkBytes_ - 1) / chunkBytes_;
  writtenAt_.assign(chunks, 0);
  takenAt_.assign(chunks, 0);
  bool lastTaken = true;
  for (uint64_t index = 0; index < chunks; ++index) {
    checkCancel();
    const uint64_t at = index * chunkBytes_;
    const uint64_t bytes = std::min(chunkBytes_, covered_ - at);
    writtenAt_[index] = io_.bytesWritten();
    takenAt_[index] = io_.bytesTaken();
    const std::int64_t started = io_.nanosecondsSinceStart();
    const bool taken = io_.write(at, bytes, kPass);
    if (taken) writeNs_ += uint64_t(io_.nanosecondsSinceStart() - started);
    if (!taken) {
      // Where the drive began to refuse, block by block: exact at the edge,
      // and not a block more asked of a drive that keeps refusing.
      for (uint64_t block = 0; block < bytes; block += kBlock) {
        if (lastTaken && io_.write(at + block, kBlock, kPass)) continue;
        lastTaken = false;
        if (!refused_.empty() && refused_.back().end == at + block) {
          refused_.back().end = at + bytes;
        } else {
          refused_.push_back({at + block, at + bytes, Kind::writeRefused});
        }
        break;
      }
    }
    lastTaken = taken;
    step();
  }
}

void SurfaceTest::readPass() {
  auto refused = refused_.begin();
  for (uint64_t at = 0; at < covered_; at += chunkBytes_) {
    checkCancel();
    const uint64_t bytes = std::min(chunkBytes_, covered_ - at);
    const std::int64_t started = io_.nanosecondsSinceStart();
    const bool read = io_.read(at, bytes);
    if (read) readNs_ += uint64_t(io_.nanosecondsSinceStart() - started);
    for (uint64_t block = 0; block < bytes; block += kBlock) {
      const uint64_t offset = at + block;
      while (refused != refused_.end() && refused->end <= offset) ++refused;
      if (refused != refused_.end() && refused->begin <= offset) {
        add(offset, Kind::writeRefused);
        continue;
      }
      if (!read) {
        // Which of its blocks the drive cannot return, one by one.
        if (!io_.read(offset, kBlock)) {
          add(offset, Kind::readFailed);
          continue;
        }
        const ProbeSignature::Reading reading = io_.inspect(offset, 0);
        add(offset, ProbeJudgement::kindOf(reading, kPass), reading.writtenAt);
        continue;
      }
      const ProbeSignature::Reading reading = io_.inspect(offset, block / kBlock);
      add(offset, ProbeJudgement::kindOf(reading, kPass), reading.writtenAt);
    }
    step();
  }
}

void SurfaceTest::add(uint64_t offset, Kind kind, uint64_t writer) {
  if (!runs_.empty()) {
    Run& last = runs_.back();
    const uint64_t blocks = (last.end - last.begin) / kBlock;
    if (last.end == offset && last.kind == kind) {
      if (kind != Kind::aliased) {
        last.end += kBlock;
        return;
      }
      // One block so far: the second says whether the writers follow.
      if (blocks == 1 && (writer == last.writer + kBlock || writer == last.writer)) {
        last.writerFollows = writer != last.writer;
        last.end += kBlock;
        return;
      }
      const uint64_t expected = last.writerFollows ? last.writer + blocks * kBlock : last.writer;
      if (writer == expected) {
        last.end += kBlock;
        return;
      }
    }
  }
  runs_.push_back({offset, offset + kBlock, kind, writer, true});
}

std::vector<Region> SurfaceTest::sharedPlaces() const {
  // A block written at w that turned up at r: r and w share a place, and of
  // the offsets that share one only the lowest can be real.
  struct Shared {
    Region readers;
    Region writers;
    bool follows;
  };
  std::vector<Region> fake;
  std::vector<Shared> upward;  // readers below their writers
  for (const Run& run : runs_) {
    if (run.kind != Kind::aliased) continue;
    const uint64_t length = run.end - run.begin;
    const Region writers{run.writer, run.writer + (run.writerFollows ? length : kBlock)};
    if (run.writerFollows) {
      if (run.writer < run.begin) {
        fake.push_back({run.begin, run.end});
      } else {
        fake.push_back(writers);
        upward.push_back({{run.begin, run.end}, writers, true});
      }
    } else if (run.writer < run.begin) {
      fake.push_back({run.begin, run.end});
    } else {
      fake.push_back({run.begin + kBlock, run.end});
      fake.push_back(writers);
      upward.push_back({{run.begin, run.end}, writers, false});
    }
  }
  // Readers of the same writers: all but the lowest are not real.
  if (upward.size() <= kMostPairedRuns) {
    for (size_t i = 0; i < upward.size(); ++i) {
      for (size_t j = i + 1; j < upward.size(); ++j) {
        const Shared& a = upward[i];
        const Shared& b = upward[j];
        const uint64_t from = std::max(a.writers.begin, b.writers.begin);
        const uint64_t to = std::min(a.writers.end, b.writers.end);
        if (from >= to) continue;
        const auto readersOf = [&](const Shared& run) -> Region {
          if (!run.follows) return run.readers;
          const uint64_t distance = run.writers.begin - run.readers.begin;
          return {from - distance, to - distance};
        };
        const Region ra = readersOf(a);
        const Region rb = readersOf(b);
        fake.push_back(ra.begin < rb.begin ? rb : ra);
      }
    }
  }
  return merged(std::move(fake));
}

ProbeJudgement::Observation SurfaceTest::observed(uint64_t begin, uint64_t end, Kind kind) const {
  const uint64_t first = begin / chunkBytes_;
  const uint64_t last = (end - kBlock) / chunkBytes_;
  return {begin,
          end,
          kind,
          writtenAt_[first] + begin % chunkBytes_,
          writtenAt_[last] + (end - kBlock) % chunkBytes_,
          takenAt_[first] + begin % chunkBytes_};
}

std::vector<ProbeJudgement::Observation> SurfaceTest::observations() const {
  const std::vector<Region> shared = sharedPlaces();
  std::vector<ProbeJudgement::Observation> seen;
  for (const Run& run : runs_) {
    // A block that held another's is real when no lower offset shares its
    // place: the other is not, and wrote over it.
    const Kind own = run.kind == Kind::aliased ? Kind::intact : run.kind;
    if (own != Kind::intact) {
      seen.push_back(observed(run.begin, run.end, own));
      continue;
    }
    uint64_t at = run.begin;
    auto it =
        std::lower_bound(shared.begin(), shared.end(), at,
                         [](const Region& region, uint64_t value) { return region.end <= value; });
    while (at < run.end) {
      if (it == shared.end() || it->begin >= run.end) {
        seen.push_back(observed(at, run.end, Kind::intact));
        break;
      }
      if (it->begin > at) seen.push_back(observed(at, it->begin, Kind::intact));
      const uint64_t to = std::min(it->end, run.end);
      seen.push_back(observed(std::max(at, it->begin), to, Kind::aliased));
      at = to;
      ++it;
    }
  }
  seen.insert(seen.end(), late_.begin(), late_.end());
  return seen;
}

void SurfaceTest::writeLate(uint64_t below) {
  below = below / kBlock * kBlock;
  if (below == 0) return;
  std::vector<uint64_t> offsets;
  for (int i = 0; i < kLateBlocks; ++i) {
    const uint64_t offset = below / kLateBlocks * uint64_t(i) / kBlock * kBlock + kBlock;
    if (offset < below && (offsets.empty() || offsets.back() != offset)) offsets.push_back(offset);
  }
  struct Written {
    uint64_t offset;
    uint64_t at;
    uint64_t taken;
    bool ok;
  };
  std::vector<Written> written;
  for (const uint64_t offset : offsets) {
    checkCancel();
    const uint64_t at = io_.bytesWritten();
    const uint64_t taken = io_.bytesTaken();
    written.push_back({offset, at, taken, io_.write(offset, kBlock, kLate)});
  }
  checkCancel();
  io_.flush();
  for (const Written& block : written) {
    checkCancel();
    Kind kind = Kind::writeRefused;
    if (block.ok) {
      kind = io_.read(block.offset, kBlock)
                 ? ProbeJudgement::kindOf(io_.inspect(block.offset, 0), kLate)
                 : Kind::readFailed;
    }
    late_.push_back(
        {block.offset, block.offset + kBlock, kind, block.at, block.at, block.taken, true});
  }
}

void SurfaceTest::flushPastCache(const ProbeJudgement::Judgement& found) {
  // The good data at the end, and the bad region below it.
  if (found.badRegions.empty()) return;
  const Region bad = found.badRegions.back();
  if (bad.end >= covered_ || covered_ - bad.end > cacheLimitBytes) return;
  const uint64_t good = covered_ - bad.end;
  // As much again, and a chunk, into the bad region: a cache that held the
  // good data holds none of it afterwards.
  uint64_t left = good + chunkBytes_;
  uint64_t at = bad.begin / kBlock * kBlock;
  while (left > 0) {
    checkCancel();
    if (at >= bad.end) at = bad.begin / kBlock * kBlock;
    const uint64_t bytes = std::min({chunkBytes_, bad.end - at, left});
    io_.write(at, bytes / kBlock * kBlock, kFlush);
    at += bytes;
    left -= std::min(left, std::max(bytes, kBlock));
    step();
  }
  checkCancel();
  io_.flush();
  // Read back spread over the good data: what is lost now was never stored.
  std::vector<Run> kept;
  for (Run run : runs_) {
    if (run.begin >= bad.end) break;
    run.end = std::min(run.end, bad.end);
    kept.push_back(run);
  }
  runs_ = std::move(kept);
  const uint64_t spacing = std::max<uint64_t>(good / kCacheChecks / kBlock * kBlock, kBlock);
  for (uint64_t offset = bad.end; offset < covered_; offset += spacing) {
    checkCancel();
    if (!io_.read(offset, kBlock)) {
      add(offset, Kind::readFailed);
      continue;
    }
    const Kind kind = ProbeJudgement::kindOf(io_.inspect(offset, 0), kPass) == Kind::intact
                          ? Kind::intact
                          : Kind::lost;
    // Each reading speaks for the blocks up to the next one.
    const uint64_t end = std::min(covered_, offset + spacing);
    for (uint64_t block = offset; block < end; block += kBlock) add(block, kind);
  }
}

void SurfaceTest::checkCancel() const {
  if (isCancelled_ && isCancelled_()) throw ProbeError(ProbeError::cancelled, "Cancelled");
}

void SurfaceTest::step() {
  if (!onProgress_) return;
  const uint64_t moved = io_.bytesWritten() + io_.bytesRead();
  const std::int64_t now = io_.nanosecondsSinceStart();
  // The speed of the last second or more, not the whole run's average.
  if (now - lastMovedAtNs_ >= 1'000'000'000) {
    bytesPerSecond_ = uint64_t(double(moved - lastMoved_) * 1e9 / double(now - lastMovedAtNs_));
    lastMoved_ = moved;
    lastMovedAtNs_ = now;
  }
  ProbeProgress progress =
      ProbeProgress::estimate(moved, std::max(plannedBytes_, moved + 1), now / 1'000'000);
  progress.fraction = std::min(progress.fraction, 0.999);
  progress.bytesPerSecond = bytesPerSecond_;
  onProgress_(progress);
}

}  // namespace tessaro
