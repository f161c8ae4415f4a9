// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessaro::fake {

// Where a drive that claims more than it has puts what is written past its
// real size.
enum class Placement {
  genuine,    // stores everything (the real size is the claimed one)
  wrap,       // offset o goes to o mod REAL
  chain,      // wraps at the power of two at or above REAL; writes between
              // REAL and that power vanish, reads there return zeros
  drop,       // writes past REAL vanish; reads there return zeros
  failReads,  // writes past REAL vanish; reads there fail with EIO
  failIo,     // writes and reads past REAL fail with EIO
  garbage,    // writes past REAL vanish; reads there return a fixed pattern
  onePlace,   // every 4 KiB block past REAL lands on the one at 1 MiB
};

// One fake drive: its kind, sizes and flaws, as the FUSE program and the
// unit tests take them, "KIND CLAIMED REAL [OPTIONS]":
//   --cache BYTES          the last BYTES written (in 512-byte sectors) answer
//                          reads, whether stored or not (a lying write cache)
//   --delay-us N           every request takes N microseconds more
//   --fail-after-ms N      from N ms after the first write on, every request
//                          fails with EIO (a drive that dies)
//   --drop-after BYTES     once BYTES have been written, writes vanish
//                          silently (reads return what was there before)
//   --readonly-after BYTES once BYTES have been written, writes fail with EIO
//                          (worn flash in its write-protect mode)
//   --erofs-after BYTES    the same with EROFS
//   --flip-band AT BYTES   reads of the BYTES from AT come back with one bit
//                          flipped in every 512-byte sector (bad sectors)
// A genuine drive's REAL is ignored.
struct FakeDriveShape {
  Placement placement = Placement::genuine;
  uint64_t claimed = 0;
  uint64_t real = 0;
  uint64_t cacheBytes = 0;
  int64_t delayUs = 0;
  int64_t failAfterMs = -1;
  std::optional<uint64_t> dropAfter;
  std::optional<uint64_t> readOnlyAfter;
  std::optional<uint64_t> erofsAfter;
  uint64_t bandAt = 0;
  uint64_t bandBytes = 0;

  // None, with error set, for words that name no valid drive.
  static std::optional<FakeDriveShape> parse(const std::vector<std::string>& words,
                                             std::string& error);
  static const char* usage();
};

// Where a fake drive keeps bytes: a file the caller opened for reading and
// writing, sparse and reading as zeros wherever nothing was written. Every
// call returns 0 or -errno.
class FileStorage {
 public:
  explicit FileStorage(int fd) : fd_(fd) {}
  int read(uint64_t at, char* data, uint64_t bytes);
  int write(uint64_t at, const char* data, uint64_t bytes);
  int sync();

 private:
  int fd_;
};

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

  // Bytes of write requests taken so far (stored or not).
  uint64_t written() const { return written_; }

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
