// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>

#include "FakeDriveShape.h"
#include "FileStorage.h"

namespace tessaro::fake {

// The drive itself: what a read, a write and a flush of it do. Offsets and
// sizes are in bytes; read and write return the bytes transferred or -errno.
// Not thread-safe.
class FakeDrive {
 public:
  // store holds the real size; cache holds the lying cache's sectors.
  FakeDrive(const FakeDriveShape& shape, FileStorage& store, FileStorage& cache);

  uint64_t claimedBytes() const { return shape_.claimed; }
  int64_t read(uint64_t offset, char* data, uint64_t size);
  int64_t write(uint64_t offset, const char* data, uint64_t size);
  int flush();

 private:
  static constexpr uint64_t kSector = 512;

  // One piece of the cache: sectors [first, first + count) whose newest data
  // lies in the cache's ring from slot on; seq names the write that put it there.
  struct Span {
    uint64_t count;
    uint64_t slot;
    uint64_t seq;
  };
  struct Record {
    uint64_t first;
    uint64_t count;
    uint64_t seq;
  };

  bool dead(bool writing);
  std::optional<uint64_t> placeOf(uint64_t at) const;
  uint64_t runFrom(uint64_t at, uint64_t size) const;
  int readStored(uint64_t at, char* data, uint64_t size);
  int store(uint64_t at, const char* data, uint64_t size);
  void remember(uint64_t firstSector, const char* data, uint64_t sectors);
  void forget(const Record& record);
  void cut(uint64_t first, uint64_t end);
  int answerFromCache(uint64_t offset, char* data, uint64_t size);
  void flipBand(uint64_t offset, char* data, uint64_t size) const;

  FakeDriveShape shape_;
  FileStorage& store_;
  FileStorage& cache_;
  uint64_t power_ = 1;  // chain: where it wraps
  uint64_t written_ = 0;
  std::optional<std::chrono::steady_clock::time_point> firstWrite_;

  uint64_t ringSectors_ = 0;
  uint64_t ringNext_ = 0;
  uint64_t ringUsed_ = 0;
  uint64_t seq_ = 0;
  std::deque<Record> records_;      // oldest first
  std::map<uint64_t, Span> owned_;  // first sector → span, never overlapping
};

}  // namespace tessaro::fake
