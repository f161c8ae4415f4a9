// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "FakeDrive.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace tessaro::fake {

FakeDrive::FakeDrive(const FakeDriveShape& shape, FileStorage& store, FileStorage& cache)
    : shape_(shape), store_(store), cache_(cache), ringSectors_(shape.cacheBytes / kSector) {
  while (power_ < shape_.real) power_ <<= 1;
}

bool FakeDrive::dead(bool writing) {
  const auto now = std::chrono::steady_clock::now();
  if (!firstWrite_ && writing) firstWrite_ = now;
  if (shape_.delayUs > 0) std::this_thread::sleep_for(std::chrono::microseconds(shape_.delayUs));
  return shape_.failAfterMs && firstWrite_ &&
         now - *firstWrite_ >= std::chrono::milliseconds(*shape_.failAfterMs);
}

std::optional<uint64_t> FakeDrive::placeOf(uint64_t at) const {
  if (shape_.placement == Placement::genuine || at < shape_.real) return at;
  switch (shape_.placement) {
    case Placement::wrap:
      return at % shape_.real;
    case Placement::chain: {
      const uint64_t place = at % power_;
      return place < shape_.real ? std::optional<uint64_t>(place) : std::nullopt;
    }
    case Placement::onePlace:
      return (uint64_t(1) << 20) + at % 4096;
    default:
      return std::nullopt;
  }
}

uint64_t FakeDrive::runFrom(uint64_t at, uint64_t size) const {
  if (shape_.placement == Placement::genuine) return size;
  if (at < shape_.real) return std::min(size, shape_.real - at);
  const auto place = placeOf(at);
  switch (shape_.placement) {
    case Placement::wrap:
      return std::min(size, shape_.real - *place);
    case Placement::chain:
      return std::min(size, place ? shape_.real - *place : power_ - at % power_);
    case Placement::onePlace:
      return std::min(size, 4096 - at % 4096);
    default:
      return size;
  }
}

int FakeDrive::readStored(uint64_t at, char* data, uint64_t size) {
  uint64_t done = 0;
  while (done < size) {
    const uint64_t from = at + done;
    const uint64_t length = runFrom(from, size - done);
    if (const auto place = placeOf(from)) {
      if (const int error = store_.read(*place, data + done, length)) return error;
    } else if (shape_.placement == Placement::failReads || shape_.placement == Placement::failIo) {
      // Only what the cache still answers for can be read.
      for (uint64_t sector = from / kSector; sector * kSector < from + length; ++sector) {
        const auto span = owned_.upper_bound(sector);
        if (span == owned_.begin() ||
            std::prev(span)->first + std::prev(span)->second.count <= sector)
          return -EIO;
      }
    } else {
      std::memset(data + done, shape_.placement == Placement::garbage ? 0x5a : 0, length);
    }
    done += length;
  }
  return 0;
}

int FakeDrive::store(uint64_t at, const char* data, uint64_t size) {
  uint64_t done = 0;
  while (done < size) {
    const uint64_t from = at + done;
    const uint64_t length = runFrom(from, size - done);
    if (const auto place = placeOf(from)) {
      if (const int error = store_.write(*place, data + done, length)) return error;
    }
    done += length;
  }
  return 0;
}

int64_t FakeDrive::read(uint64_t offset, char* data, uint64_t size) {
  if (dead(false)) return -EIO;
  if (offset >= shape_.claimed) return 0;
  size = std::min(size, shape_.claimed - offset);
  if (const int error = readStored(offset, data, size)) return error;
  if (const int error = answerFromCache(offset, data, size)) return error;
  flipBand(offset, data, size);
  return int64_t(size);
}

int64_t FakeDrive::write(uint64_t offset, const char* data, uint64_t size) {
  if (dead(true)) return -EIO;
  if (offset >= shape_.claimed) return -ENOSPC;
  size = std::min(size, shape_.claimed - offset);
  if (shape_.erofsAfter && written_ >= *shape_.erofsAfter) return -EROFS;
  if (shape_.readOnlyAfter && written_ >= *shape_.readOnlyAfter) return -EIO;
  uint64_t kept = size;
  if (shape_.dropAfter)
    kept = written_ >= *shape_.dropAfter ? 0 : std::min(size, *shape_.dropAfter - written_);
  if (shape_.placement == Placement::failIo && offset + size > shape_.real) {
    // What lies below the real size is stored; the request fails.
    if (offset < shape_.real) store(offset, data, std::min(kept, shape_.real - offset));
    return -EIO;
  }
  written_ += size;
  if (const int error = store(offset, data, kept)) return error;
  // The block layer sends whole sectors.
  if (ringSectors_ > 0 && offset % kSector == 0 && size % kSector == 0) {
    remember(offset / kSector, data, size / kSector);
  }
  return int64_t(size);
}

int FakeDrive::flush() {
  if (dead(false)) return -EIO;
  return store_.sync();
}

void FakeDrive::cut(uint64_t first, uint64_t end) {
  auto span = owned_.upper_bound(first);
  if (span != owned_.begin()) --span;
  while (span != owned_.end() && span->first < end) {
    const uint64_t begin = span->first;
    const Span piece = span->second;
    const uint64_t stop = begin + piece.count;
    if (stop <= first) {
      ++span;
      continue;
    }
    span = owned_.erase(span);
    if (begin < first) owned_.emplace(begin, Span{first - begin, piece.slot, piece.seq});
    if (stop > end) {
      owned_.emplace(end, Span{stop - end, piece.slot + (end - begin), piece.seq});
      break;
    }
  }
}

void FakeDrive::forget(const Record& record) {
  auto span = owned_.lower_bound(record.first);
  while (span != owned_.end() && span->first < record.first + record.count) {
    span = span->second.seq == record.seq ? owned_.erase(span) : std::next(span);
  }
}

void FakeDrive::remember(uint64_t firstSector, const char* data, uint64_t sectors) {
  if (sectors > ringSectors_) {
    const uint64_t skipped = sectors - ringSectors_;
    firstSector += skipped;
    data += skipped * kSector;
    sectors = ringSectors_;
  }
  while (sectors > 0) {
    const uint64_t piece = std::min(sectors, ringSectors_ - ringNext_);
    while (ringUsed_ + piece > ringSectors_ && !records_.empty()) {
      forget(records_.front());
      ringUsed_ -= records_.front().count;
      records_.pop_front();
    }
    // The ring is used in order, so the slots from ringNext_ on are free now.
    cache_.write(ringNext_ * kSector, data, piece * kSector);
    cut(firstSector, firstSector + piece);
    owned_.emplace(firstSector, Span{piece, ringNext_, ++seq_});
    records_.push_back({firstSector, piece, seq_});
    ringUsed_ += piece;
    ringNext_ = (ringNext_ + piece) % ringSectors_;
    firstSector += piece;
    data += piece * kSector;
    sectors -= piece;
  }
}

int FakeDrive::answerFromCache(uint64_t offset, char* data, uint64_t size) {
  if (owned_.empty()) return 0;
  const uint64_t end = offset + size;
  auto span = owned_.upper_bound(offset / kSector);
  if (span != owned_.begin()) --span;
  for (; span != owned_.end() && span->first * kSector < end; ++span) {
    const uint64_t spanBegin = span->first * kSector;
    const uint64_t spanEnd = spanBegin + span->second.count * kSector;
    const uint64_t from = std::max(spanBegin, offset);
    const uint64_t to = std::min(spanEnd, end);
    if (from >= to) continue;
    if (const int error = cache_.read(span->second.slot * kSector + (from - spanBegin),
                                      data + (from - offset), to - from))
      return error;
  }
  return 0;
}

void FakeDrive::flipBand(uint64_t offset, char* data, uint64_t size) const {
  if (shape_.bandBytes == 0) return;
  const uint64_t from = std::max(offset, shape_.bandAt);
  const uint64_t to = std::min(offset + size, shape_.bandAt + shape_.bandBytes);
  for (uint64_t sector = from / kSector; sector * kSector < to; ++sector) {
    const uint64_t at = sector * kSector + 64;  // inside a test block's body
    if (at >= from && at < to) data[at - offset] ^= 0x01;
  }
}

}  // namespace tessaro::fake
