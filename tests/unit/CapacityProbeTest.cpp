// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QHash>
#include <cstring>
#include <deque>
#include <functional>

#include "drives/CapacityProbe.h"
#include "exec/Error.h"

using namespace tessaro;

namespace {

constexpr quint64 kBlock = ProbeSignature::blockBytes;
constexpr quint64 kMiB = quint64(1) << 20;
constexpr quint64 kGiB = quint64(1) << 30;

// A drive in memory that claims `claimed` bytes; where each block really goes
// is up to its kind.
class MemoryDrive : public ProbeTarget {
 public:
  enum class Kind {
    genuine,
    wraps,           // block at o is stored at o mod real
    dropsWrites,     // past real: writes vanish, reads give zeros
    returnsGarbage,  // past real: writes vanish, reads give a fixed pattern
    failsIo,         // past real: I/O errors
    onePlace,        // past real: every block lands on the one at 1 MiB
  };

  MemoryDrive(Kind kind, quint64 claimed, quint64 real, size_t cacheBlocks = 0)
      : kind_(kind), claimed_(claimed), real_(real), cacheBlocks_(cacheBlocks) {}

  quint64 sizeBytes() const override { return claimed_; }

  Outcome write(quint64 offset, std::span<const char> data) override {
    ++calls;
    for (quint64 at = 0; at < data.size(); at += kBlock) {
      const quint64 block = offset + at;
      if (kind_ == Kind::failsIo && block >= real_) return Outcome::mediaError;
      const QByteArray bytes(data.data() + at, kBlock);
      remember(block, bytes);
      if (const auto place = placeOf(block)) store_[*place] = bytes;
    }
    return Outcome::done;
  }

  Outcome read(quint64 offset, std::span<char> data) override {
    ++calls;
    for (quint64 at = 0; at < data.size(); at += kBlock) {
      const quint64 block = offset + at;
      if (kind_ == Kind::failsIo && block >= real_) return Outcome::mediaError;
      QByteArray bytes(kBlock, kind_ == Kind::returnsGarbage ? char(0x5a) : char(0));
      if (const auto cached = fromCache(block)) {
        bytes = *cached;
      } else if (const auto place = placeOf(block); place && store_.contains(*place)) {
        bytes = store_.value(*place);
      }
      std::memcpy(data.data() + at, bytes.constData(), kBlock);
    }
    return Outcome::done;
  }

  void flush() override { ++flushes; }

  int calls = 0;
  int flushes = 0;

 private:
  std::optional<quint64> placeOf(quint64 block) const {
    if (block < real_ || kind_ == Kind::genuine) return block;
    switch (kind_) {
      case Kind::wraps:
        return block % real_ / kBlock * kBlock;
      case Kind::onePlace:
        return kMiB;
      default:
        return std::nullopt;
    }
  }

  // A write-back cache that answers reads of the blocks written last, as a
  // drive that ignores flushes would.
  void remember(quint64 block, const QByteArray& bytes) {
    if (cacheBlocks_ == 0) return;
    cache_.push_back({block, bytes});
    if (cache_.size() > cacheBlocks_) cache_.pop_front();
  }
  std::optional<QByteArray> fromCache(quint64 block) const {
    for (auto it = cache_.rbegin(); it != cache_.rend(); ++it) {
      if (it->first == block) return it->second;
    }
    return std::nullopt;
  }

  Kind kind_;
  quint64 claimed_;
  quint64 real_;
  size_t cacheBlocks_;
  QHash<quint64, QByteArray> store_;
  std::deque<std::pair<quint64, QByteArray>> cache_;
};

// Small enough to run in memory quickly, with the same structure as the defaults.
ProbePlan::Settings smallSettings() {
  ProbePlan::Settings settings;
  settings.strata = 512;
  settings.cacheBytes = 4 * kMiB;
  settings.refinementSamples = 64;
  settings.chunkBytes = 256 * 1024;
  return settings;
}

TEST(CapacityProbe, FindsTheRealSizeOfEveryKindOfCounterfeit) {
  using Kind = MemoryDrive::Kind;
  struct Case {
    const char* name;
    Kind kind;
    quint64 claimed;
    quint64 real;
  };
  const std::vector<Case> cases{
      {"wraps at a power of two", Kind::wraps, 8 * kGiB, kGiB},
      {"wraps anywhere", Kind::wraps, 4 * kGiB, 700 * kMiB + 3 * kBlock},
      {"wraps just above the shadow", Kind::wraps, 4 * kGiB, 5 * kMiB},
      {"drops writes", Kind::dropsWrites, 4 * kGiB, 1536 * kMiB},
      {"returns garbage", Kind::returnsGarbage, 4 * kGiB, 3 * kGiB + 12345},
      {"fails I/O", Kind::failsIo, 2 * kGiB, 1000 * kMiB},
      {"stores everything in one place", Kind::onePlace, 2 * kGiB, 300 * kMiB},
      {"misses only the last block", Kind::dropsWrites, 2 * kGiB, 2 * kGiB - kBlock},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryDrive drive(c.kind, c.claimed, c.real);
    const ProbeResult result = CapacityProbe(drive, smallSettings(), 7).run();
    ASSERT_FALSE(result.genuine());
    // Refinement pins the edge to the block, whatever the survey's stride.
    // The memory drive keeps a block when it starts below the real size.
    const quint64 realBlocks = (c.real + kBlock - 1) / kBlock * kBlock;
    EXPECT_LE(result.usableBytes, realBlocks);
    EXPECT_GE(result.usableBytes, realBlocks - 64 * kBlock);
    EXPECT_GE(*result.firstBadOffset, realBlocks);
    EXPECT_LE(*result.firstBadOffset, realBlocks + 64 * kBlock);
    EXPECT_TRUE(result.verdict().startsWith("Counterfeit: only the first"))
        << result.verdict().toStdString();
    EXPECT_GT(result.aliased + result.lost, 0);
  }
}

TEST(CapacityProbe, AGenuineDriveReadsBackEverySample) {
  MemoryDrive drive(MemoryDrive::Kind::genuine, 2 * kGiB + 5000, 0);
  const ProbeResult result = CapacityProbe(drive, smallSettings(), 7).run();
  EXPECT_TRUE(result.genuine());
  EXPECT_EQ(result.usableBytes, 2 * kGiB + 5000);
  EXPECT_EQ(result.intact, result.samples);
  EXPECT_EQ(result.verdict(),
            QStringLiteral("Genuine: all %1 samples read back").arg(result.samples));
  // Survey only: every block written once and read once, one flush.
  EXPECT_EQ(result.bytesWritten, result.bytesRead);
  EXPECT_EQ(result.bytesWritten, quint64(result.samples) * kBlock);
  EXPECT_EQ(drive.flushes, 1);
}

TEST(CapacityProbe, OutwitsACacheSmallerThanTheShadow) {
  // The cache answers reads of the last 3 MiB written; the shadow written
  // after every sample is 4 MiB, so no sample is read from the cache.
  MemoryDrive drive(MemoryDrive::Kind::wraps, 4 * kGiB, kGiB, 3 * kMiB / kBlock);
  const ProbeResult result = CapacityProbe(drive, smallSettings(), 7).run();
  ASSERT_FALSE(result.genuine());
  EXPECT_EQ(result.usableBytes, kGiB);
}

TEST(CapacityProbe, ReportsProgressThatOnlyGrowsAndEndsComplete) {
  MemoryDrive drive(MemoryDrive::Kind::wraps, 2 * kGiB, 500 * kMiB);
  std::vector<double> fractions;
  CapacityProbe(drive, smallSettings(), 7).run([&](const ProbeProgress& progress) {
    fractions.push_back(progress.fraction);
  });
  ASSERT_GT(fractions.size(), 100u);
  EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
  EXPECT_LT(fractions[fractions.size() - 2], 1.0);
  EXPECT_EQ(fractions.back(), 1.0);
}

TEST(CapacityProbe, StopsWhenCancelledAndWhenTheDriveTakesNothing) {
  MemoryDrive drive(MemoryDrive::Kind::genuine, kGiB, 0);
  int checks = 0;
  try {
    CapacityProbe(drive, smallSettings(), 7).run({}, [&] { return ++checks > 10; });
    FAIL() << "not cancelled";
  } catch (const Error& error) {
    EXPECT_TRUE(isCancellation(error));
  }
  EXPECT_EQ(drive.calls, 10);  // nothing after the cancel was seen

  MemoryDrive dead(MemoryDrive::Kind::failsIo, kGiB, 0);
  try {
    CapacityProbe(dead, smallSettings(), 7).run();
    FAIL() << "a drive refusing everything has no verdict";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), CapacityProbe::unreadable);
  }

  MemoryDrive tiny(MemoryDrive::Kind::genuine, kBlock - 1, 0);
  try {
    CapacityProbe(tiny, smallSettings(), 7).run();
    FAIL() << "nothing to test";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), CapacityProbe::tooSmall);
  }
}

TEST(CapacityProbe, EachRunWritesNewSignatures) {
  // A stale block from an earlier run must not pass for this run's: a drive
  // that drops every write past 1 GiB but still holds an earlier run's blocks.
  MemoryDrive drive(MemoryDrive::Kind::genuine, 2 * kGiB, 0);
  CapacityProbe(drive, smallSettings(), 1).run();
  class FrozenAbove : public ProbeTarget {
   public:
    explicit FrozenAbove(MemoryDrive& inner) : inner_(inner) {}
    quint64 sizeBytes() const override { return inner_.sizeBytes(); }
    Outcome write(quint64 offset, std::span<const char> data) override {
      return offset >= kGiB ? Outcome::done : inner_.write(offset, data);
    }
    Outcome read(quint64 offset, std::span<char> data) override {
      return inner_.read(offset, data);
    }
    void flush() override {}

   private:
    MemoryDrive& inner_;
  } frozen(drive);
  const ProbeResult result = CapacityProbe(frozen, smallSettings(), 2).run();
  EXPECT_EQ(result.usableBytes, kGiB);
}

}  // namespace
