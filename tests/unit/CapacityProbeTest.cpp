// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QHash>
#include <cstring>
#include <deque>
#include <functional>
#include <unordered_map>

#include "exec/Error.h"
#include "helper/probe/CapacityProbe.h"

using namespace tessaro;

namespace {

constexpr quint64 kBlock = ProbeSignature::blockBytes;
constexpr quint64 kMiB = quint64(1) << 20;
constexpr quint64 kGiB = quint64(1) << 30;

// A drive in memory that claims `claimed` bytes; where each block really goes
// is up to its kind. A cache answers reads of the last cacheBytes written,
// whatever the storage kept, and after failAfter requests every one fails.
class MemoryDrive : public ProbeTarget {
 public:
  enum class Kind {
    genuine,
    wraps,           // block at o is stored at o mod real
    chain,           // wraps at the next power of two; writes between vanish
    dropsWrites,     // past real: writes vanish, reads give zeros
    returnsGarbage,  // past real: writes vanish, reads give a fixed pattern
    failsReads,      // past real: writes vanish, reads fail
    failsIo,         // past real: I/O errors
    onePlace,        // past real: every block lands on the one at 1 MiB
  };

  MemoryDrive(Kind kind, quint64 claimed, quint64 real, quint64 cacheBytes = 0, int failAfter = -1)
      : kind_(kind),
        claimed_(claimed),
        real_(real),
        cacheBlocks_(cacheBytes / kBlock),
        failAfter_(failAfter) {}

  quint64 sizeBytes() const override { return claimed_; }

  Outcome write(quint64 offset, std::span<const char> data) override {
    if (failing()) return Outcome::mediaError;
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
    if (failing()) return Outcome::mediaError;
    for (quint64 at = 0; at < data.size(); at += kBlock) {
      const quint64 block = offset + at;
      if (const auto cached = cache_.find(block); cached != cache_.end()) {
        std::memcpy(data.data() + at, cached->second.first.constData(), kBlock);
        continue;
      }
      if ((kind_ == Kind::failsIo || kind_ == Kind::failsReads) && block >= real_)
        return Outcome::mediaError;
      QByteArray bytes(kBlock, kind_ == Kind::returnsGarbage ? char(0x5a) : char(0));
      if (const auto place = placeOf(block); place && store_.contains(*place)) {
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
  bool failing() { return ++calls > failAfter_ && failAfter_ >= 0; }

  std::optional<quint64> placeOf(quint64 block) const {
    if (block < real_ || kind_ == Kind::genuine) return block;
    switch (kind_) {
      case Kind::wraps:
        return block % real_ / kBlock * kBlock;
      case Kind::chain: {
        quint64 power = 1;
        while (power < real_) power <<= 1;
        const quint64 place = block % power;
        return place < real_ ? std::optional<quint64>(place) : std::nullopt;
      }
      case Kind::onePlace:
        return kMiB;
      default:
        return std::nullopt;
    }
  }

  // The last cacheBlocks_ writes, and the newest data of each block among them.
  void remember(quint64 block, const QByteArray& bytes) {
    if (cacheBlocks_ == 0) return;
    order_.push_back(block);
    auto& [data, count] = cache_[block];
    data = bytes;
    ++count;
    if (order_.size() <= cacheBlocks_) return;
    const auto oldest = cache_.find(order_.front());
    if (--oldest->second.second == 0) cache_.erase(oldest);
    order_.pop_front();
  }

  Kind kind_;
  quint64 claimed_;
  quint64 real_;
  size_t cacheBlocks_;
  int failAfter_;
  QHash<quint64, QByteArray> store_;
  std::deque<quint64> order_;
  std::unordered_map<quint64, std::pair<QByteArray, int>> cache_;
};

// Small enough to run in memory quickly, with the same structure as the defaults.
ProbePlan::Settings smallSettings() {
  ProbePlan::Settings settings;
  settings.strata = 512;
  settings.shadowBytes = 4 * kMiB;
  settings.cacheLimitBytes = 48 * kMiB;
  settings.quickShadowBytes = 256 * 1024;
  settings.speedBytes = kMiB;
  settings.refinementSamples = 64;
  settings.chunkBytes = 256 * 1024;
  return settings;
}

TEST(CapacityProbe, FindsTheRealSizeOfEveryKindOfCounterfeitToTheBlock) {
  using Kind = MemoryDrive::Kind;
  struct Case {
    const char* name;
    Kind kind;
    quint64 claimed;
    quint64 real;
    quint64 cacheBytes = 0;
  };
  const std::vector<Case> cases{
      {"wraps at a power of two", Kind::wraps, 8 * kGiB, kGiB},
      {"wraps anywhere", Kind::wraps, 4 * kGiB, 700 * kMiB + 3 * kBlock},
      {"wraps just above the shadow", Kind::wraps, 4 * kGiB, 5 * kMiB},
      {"wraps past half", Kind::wraps, 16 * kGiB, 15 * kGiB / 2},
      {"wraps below the filler", Kind::wraps, 4 * kGiB, 30 * kMiB + 3 * kBlock},
      // The last block lands just below where the filler starts, so that it
      // goes bad at once and the filler is cut short.
      {"wraps below the filler, cut short", Kind::wraps, 4 * kGiB, 31232000},
      {"chain", Kind::chain, 16 * kGiB, 5 * kGiB},
      {"drops writes", Kind::dropsWrites, 4 * kGiB, 1536 * kMiB},
      {"returns garbage", Kind::returnsGarbage, 4 * kGiB, 3 * kGiB + 12345},
      {"fails reads", Kind::failsReads, 2 * kGiB, 1000 * kMiB},
      {"fails I/O", Kind::failsIo, 2 * kGiB, 1000 * kMiB},
      {"stores everything in one place", Kind::onePlace, 2 * kGiB, 300 * kMiB},
      {"misses only the last block", Kind::dropsWrites, 2 * kGiB, 2 * kGiB - kBlock},
      {"larger than 2 TiB", Kind::dropsWrites, 2560 * kGiB, 2048 * kGiB + 5 * kMiB},
      {"caches 2 MiB over a wrap", Kind::wraps, 4 * kGiB, kGiB, 2 * kMiB},
      {"caches 8 MiB over a drop", Kind::dropsWrites, 4 * kGiB, 1536 * kMiB, 8 * kMiB},
      {"caches 32 MiB over a wrap anywhere", Kind::wraps, 4 * kGiB, 700 * kMiB, 32 * kMiB},
      {"caches 32 MiB over a drop", Kind::dropsWrites, 4 * kGiB, kGiB, 32 * kMiB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryDrive drive(c.kind, c.claimed, c.real, c.cacheBytes);
    const ProbeResult result = CapacityProbe(drive, smallSettings(), 7).run();
    ASSERT_FALSE(result.genuine());
    // The memory drive keeps a block when it starts below the real size.
    const quint64 realBlocks = (c.real + kBlock - 1) / kBlock * kBlock;
    EXPECT_EQ(result.usableBytes, realBlocks);
    EXPECT_EQ(*result.firstBadOffset, realBlocks);
    EXPECT_TRUE(result.verdict().startsWith("Counterfeit: only the first"))
        << result.verdict().toStdString();
    EXPECT_GT(result.aliased + result.lost, 0);
    if (c.cacheBytes == 0) EXPECT_EQ(result.cacheBytes, 0u);
    if (c.cacheBytes && c.kind == Kind::dropsWrites) {
      // Found to within the growth of what was written between two looks.
      EXPECT_NEAR(double(result.cacheBytes), double(c.cacheBytes), 0.1 * double(c.cacheBytes));
    }
  }
}

TEST(CapacityProbe, ADriveThatStopsAnsweringIsNoCounterfeit) {
  // It fails every request from the first, or after some went well.
  for (const int failAfter : {0, 3, 40, 400}) {
    SCOPED_TRACE(failAfter);
    MemoryDrive drive(MemoryDrive::Kind::genuine, 2 * kGiB, 0, 0, failAfter);
    try {
      CapacityProbe(drive, smallSettings(), 7).run();
      FAIL() << "a verdict on a drive that stopped answering";
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), CapacityProbe::stoppedResponding);
      EXPECT_TRUE(error.description().startsWith("the drive stopped responding after "));
    }
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
  // No round beyond the quick one and the survey, and the whole cache limit
  // written behind the survey's samples.
  EXPECT_GE(result.bytesWritten, smallSettings().cacheLimitBytes);
  EXPECT_LT(result.bytesWritten, smallSettings().cacheLimitBytes + 8 * kMiB);
  EXPECT_EQ(result.cacheBytes, 0u);
}

TEST(CapacityProbe, SettlesACounterfeitWithoutACacheInTheQuickRound) {
  MemoryDrive drive(MemoryDrive::Kind::chain, 16 * kGiB, 5 * kGiB);
  const ProbeResult result = CapacityProbe(drive, smallSettings(), 7).run();
  EXPECT_EQ(result.usableBytes, 5 * kGiB);
  EXPECT_LT(result.bytesWritten, 24 * kMiB);
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
