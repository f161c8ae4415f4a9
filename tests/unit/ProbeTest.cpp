// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The capacity test: where it samples, and its verdict on every kind of
// fake drive (tests/fakes/FakeDriveShape.h), held in memory.

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QJsonDocument>
#include <cerrno>
#include <functional>

#include "DataRows.h"
#include "FakeDrive.h"
#include "contract/HelperEvent.h"
#include "drives/ProbePlan.h"
#include "drives/ProbeResult.h"
#include "helper/probe/CapacityProbe.h"
#include "helper/probe/ProbeError.h"
#include "helper/probe/ProbeSignature.h"
#include "helper/probe/SurfaceTest.h"

using namespace tessaro;
using test::bytesOf;

namespace {

constexpr std::uint64_t kBlock = ProbeSignature::blockBytes;
constexpr std::uint64_t kMiB = std::uint64_t(1) << 20;
constexpr std::uint64_t kGiB = std::uint64_t(1) << 30;

bool isDescendingAndUnique(const std::vector<std::uint64_t>& offsets) {
  return std::adjacent_find(offsets.begin(), offsets.end(), std::less_equal<>()) == offsets.end();
}

TEST(ProbePlan, TheQuickRoundTakesThePowersOfTwoAndTheLastBlock) {
  EXPECT_EQ(ProbePlan::quick(5 * kBlock + 100),
            (std::vector<std::uint64_t>{4 * kBlock, 3 * kBlock, 2 * kBlock, kBlock}));
  const auto samples = ProbePlan::quick(16 * kGiB);
  EXPECT_TRUE(isDescendingAndUnique(samples));
  EXPECT_EQ(samples.front(), 16 * kGiB - kBlock);
  EXPECT_NE(std::find(samples.begin(), samples.end(), 8 * kGiB), samples.end());
  EXPECT_NE(std::find(samples.begin(), samples.end(), 8 * kGiB - kBlock), samples.end());
  EXPECT_LT(samples.size(), 70u);
  EXPECT_TRUE(ProbePlan::quick(kBlock - 1).empty());
}

TEST(ProbePlan, RefinesStrictlyBetweenTheLastGoodAndTheFirstBadSample) {
  const auto rows = test::readDataRows(TESSARO_FIXTURES_DIR "/Probe/refinement.rows");
  ASSERT_GT(rows.size(), 6);
  for (const test::DataRow& row : rows) {
    const QStringList fields = test::textsOf(row.fields);
    std::vector<std::uint64_t> expected;
    for (const QString& block : fields[3].split(' ', Qt::SkipEmptyParts))
      expected.push_back(bytesOf(block));
    const auto lastGood = fields[0] == "-" ? std::nullopt : std::optional(bytesOf(fields[0]));
    EXPECT_EQ(ProbePlan::refinement(lastGood, bytesOf(fields[1]), fields[2].toInt()), expected)
        << row.where.toStdString();
  }
  const auto spread = ProbePlan::refinement(kGiB, kGiB + 16 * kMiB, 256);
  EXPECT_EQ(spread.size(), 256u);
  EXPECT_TRUE(isDescendingAndUnique(spread));
  EXPECT_EQ(spread.back(), kGiB + kBlock);
  EXPECT_LT(spread.front(), kGiB + 16 * kMiB);
  // Its spacing covers its widest gap: 4095 candidates over 256 samples, gaps
  // of at most 16 blocks, and one more.
  EXPECT_EQ(ProbePlan::refinementSpacing(kMiB, kMiB + 4 * kBlock, 8), 2 * kBlock);
  EXPECT_EQ(ProbePlan::refinementSpacing(kGiB, kGiB + 16 * kMiB, 256), 17 * kBlock);
}

// The fake drive of the FUSE program, its store and cache in memory files.
class MemoryFake : public ProbeTarget {
 public:
  explicit MemoryFake(const fake::FakeDriveShape& shape) : drive_(shape, store_, cache_) {}
  ~MemoryFake() override {
    ::close(storeFd_);
    ::close(cacheFd_);
  }

  std::uint64_t sizeBytes() const override { return drive_.claimedBytes(); }
  Outcome write(std::uint64_t offset, std::span<const char> data) override {
    return outcome(drive_.write(offset, data.data(), data.size()), data.size());
  }
  Outcome read(std::uint64_t offset, std::span<char> data) override {
    return outcome(drive_.read(offset, data.data(), data.size()), data.size());
  }
  void flush() override { drive_.flush(); }

 private:
  static Outcome outcome(int64_t done, size_t wanted) {
    if (done == int64_t(wanted)) return Outcome::done;
    return done == -EROFS ? Outcome::readOnly : Outcome::mediaError;
  }

  int storeFd_ = ::memfd_create("store", MFD_CLOEXEC);
  int cacheFd_ = ::memfd_create("cache", MFD_CLOEXEC);
  fake::FileStorage store_{storeFd_};
  fake::FileStorage cache_{cacheFd_};
  fake::FakeDrive drive_;
};

// A drive that fails requests where it is told to: the request numbered
// failOnce (counting writes and reads apart) once, the blocks at failAt every
// time, or every request from the one numbered dieAt on.
class Faulty : public ProbeTarget {
 public:
  struct Faults {
    std::optional<int> writeOnce, readOnce;
    std::optional<quint64> writeAt, readAt;
    std::optional<int> dieAt;
    std::optional<quint64> frozenFrom;  // writes from here on are taken and dropped
  };
  Faulty(ProbeTarget& inner, Faults faults) : inner_(inner), faults_(faults) {}
  std::uint64_t sizeBytes() const override { return inner_.sizeBytes(); }
  Outcome write(std::uint64_t offset, std::span<const char> data) override {
    if (dies() || ++writes_ == faults_.writeOnce || covers(faults_.writeAt, offset, data.size()))
      return Outcome::mediaError;
    if (faults_.frozenFrom && offset >= *faults_.frozenFrom) return Outcome::done;
    return inner_.write(offset, data);
  }
  Outcome read(std::uint64_t offset, std::span<char> data) override {
    if (dies() || ++reads_ == faults_.readOnce || covers(faults_.readAt, offset, data.size()))
      return Outcome::mediaError;
    return inner_.read(offset, data);
  }
  void flush() override { inner_.flush(); }

 private:
  bool dies() { return faults_.dieAt && ++requests_ > *faults_.dieAt; }
  static bool covers(std::optional<quint64> at, quint64 offset, size_t bytes) {
    return at && *at >= offset && *at < offset + bytes;
  }
  ProbeTarget& inner_;
  Faults faults_;
  int writes_ = 0, reads_ = 0, requests_ = 0;
};

// Small enough to run in memory quickly, with the same structure as the defaults.
const ProbePlan::Settings kSmall{.strata = 512,
                                 .shadowBytes = 4 * kMiB,
                                 .cacheLimitBytes = 48 * kMiB,
                                 .quickShadowBytes = 256 * 1024,
                                 .speedBytes = 2 * kMiB,
                                 .fillerChecks = 256,
                                 .watchBytes = 2 * kMiB,
                                 .lagBytes = kMiB,
                                 .refinementSamples = 64,
                                 .chunkBytes = 256 * 1024};

fake::FakeDriveShape specOf(const QString& text) {
  std::vector<std::string> words;
  for (const QString& word : test::driveWordsOf(text)) words.push_back(word.toStdString());
  std::string error;
  const auto shape = fake::FakeDriveShape::parse(words, error);
  EXPECT_TRUE(shape) << error;
  return shape.value_or(fake::FakeDriveShape{});
}

ProbeResult probed(ProbeTarget& drive, bool full,
                   const CapacityProbe::ProgressHandler& onProgress = {}) {
  return full ? SurfaceTest(drive, 1 << 20, 7).run(onProgress)
              : CapacityProbe(drive, kSmall, 7).run(onProgress);
}

// Every kind of the fake drive, quick and full: the verdict, and where.
TEST(CapacityProbe, GivesEveryKindOfDriveItsVerdict) {
  const auto rows = test::readDataRows(TESSARO_FIXTURES_DIR "/Probe/kinds.rows");
  ASSERT_GE(rows.size(), 30);
  for (const test::DataRow& row : rows) {
    const QStringList fields = test::textsOf(row.fields);
    SCOPED_TRACE((row.where + ": " + fields.join(" | ")).toStdString());
    ASSERT_GE(fields.size(), 3);
    // The loop and format rows are tests/e2e/CapacityProbeLoopTest's.
    if (fields[0] != "quick" && fields[0] != "full") continue;
    const bool full = fields[0] == "full";
    MemoryFake drive(specOf(fields[1]));
    const ProbeResult result = probed(drive, full);
    const QStringList where = fields.value(3).split(' ', Qt::SkipEmptyParts);
    // The helper's event carries it whole.
    const std::string json = contract::HelperEvent(result.wire()).json();
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(json))["verdict"].toString(),
              fields[2])
        << result.verdictLine();
    const auto carried = contract::HelperEvent::fromJson(json);
    ASSERT_TRUE(carried && carried->get<contract::ProbeResult>());
    EXPECT_EQ(*carried->get<contract::ProbeResult>(), result.wire());
    EXPECT_EQ(ProbeResult::fromWire(*carried->get<contract::ProbeResult>()).wire(), result.wire());
    EXPECT_EQ(result.mode, full ? ProbeResult::Mode::full : ProbeResult::Mode::quick);
    switch (result.verdict) {
      case ProbeResult::Verdict::genuine:
        EXPECT_EQ(result.usableBytes, result.claimedBytes);
        if (!full) EXPECT_GE(result.cacheRuledOutBytes.value_or(0), bytesOf(fields.value(3)));
        break;
      case ProbeResult::Verdict::counterfeit:
        EXPECT_EQ(result.usableBytes, bytesOf(fields.value(3)) / kBlock * kBlock);
        EXPECT_EQ(result.firstBadOffset, bytesOf(fields.value(3)) / kBlock * kBlock);
        break;
      case ProbeResult::Verdict::damaged:
        ASSERT_FALSE(result.badRegions.empty());
        EXPECT_EQ(result.badRegions.front(),
                  (ProbeResult::Region{bytesOf(where.value(0)), bytesOf(where.value(1))}));
        EXPECT_EQ(result.usableBytes, bytesOf(where.value(0)));
        EXPECT_EQ(result.goodRegions().back().end, result.claimedBytes);
        break;
      case ProbeResult::Verdict::failed: {
        ASSERT_TRUE(result.failure && result.failedAfterBytes);
        const bool refused = where.value(0) == "refused";
        EXPECT_EQ(*result.failure, refused ? ProbeResult::Failure::refusedWrites
                                           : ProbeResult::Failure::stoppedStoring);
        // A drive takes the request that crosses where it stops whole.
        const quint64 after = bytesOf(where.value(1));
        EXPECT_LE(*result.failedAfterBytes, after + kMiB);
        EXPECT_GE(*result.failedAfterBytes + (refused ? 0 : 4 * kMiB), after);
        if (refused) EXPECT_GT(result.writeErrors.requests, 0u);
        break;
      }
    }
  }
}

// One failed write and one failed read are evidence, never a verdict alone:
// tried again, counted and told; failing every time, a damaged place.
TEST(CapacityProbe, AFailedReadAndWriteAreToldAndWeighed) {
  for (const bool full : {false, true}) {
    SCOPED_TRACE(full ? "full" : "quick");
    const auto genuine = specOf(full ? "genuine 256M 0" : "genuine 2G 0");
    {
      MemoryFake inner(genuine);
      Faulty drive(inner, {.writeOnce = 40, .readOnce = 60});
      const ProbeResult result = probed(drive, full);
      EXPECT_EQ(result.verdict, ProbeResult::Verdict::genuine);
      EXPECT_EQ(result.retriedWrites, 1u);
      EXPECT_EQ(result.retriedReads, 1u);
    }
    MemoryFake inner(genuine);
    Faulty drive(inner, {.writeAt = 20 * kMiB + 8 * kBlock, .readAt = 16 * kMiB});
    const ProbeResult result = probed(drive, full);
    EXPECT_NE(result.verdict, ProbeResult::Verdict::counterfeit);
    EXPECT_NE(result.verdict, ProbeResult::Verdict::genuine);
    EXPECT_GE(result.writeErrors.requests, 1u);
    EXPECT_GE(result.readErrors.requests, 1u);
  }
}

TEST(CapacityProbe, ADriveThatStopsAnsweringIsNoCounterfeit) {
  // It fails every request from the first, or after some went well.
  for (const int dieAt : {0, 3, 40, 300}) {
    for (const bool full : {false, true}) {
      SCOPED_TRACE(std::to_string(dieAt) + (full ? " full" : " quick"));
      MemoryFake inner(specOf(full ? "genuine 256M 0" : "genuine 2G 0"));
      Faulty drive(inner, {.dieAt = dieAt});
      try {
        probed(drive, full);
        FAIL() << "a verdict on a drive that stopped answering";
      } catch (const ProbeError& error) {
        EXPECT_EQ(error.code(), ProbeError::stoppedResponding);
        EXPECT_TRUE(std::string(error.what()).starts_with("the drive stopped responding after "));
      }
    }
  }
}

TEST(CapacityProbe, AGenuineDriveGetsAsMuchWrittenAsRulesOutTheLargestCache) {
  MemoryFake drive(specOf("genuine 2G 0"));
  const ProbeResult result = CapacityProbe(drive, kSmall, 7).run();
  ASSERT_TRUE(result.genuine());
  EXPECT_EQ(result.intact, result.samples);
  EXPECT_EQ(result.verdictLine(),
            "Genuine: all " + std::to_string(result.samples) + " samples read back");
  // The cache limit after the quick round's samples, and not a block more.
  EXPECT_GE(result.cacheRuledOutBytes.value_or(0), kSmall.cacheLimitBytes);
  const quint64 first =
      ProbePlan::sentinels(2 * kGiB, kSmall).size() + ProbePlan::quick(2 * kGiB).size();
  EXPECT_LE(result.bytesWritten, kSmall.cacheLimitBytes + first * kBlock);
  EXPECT_EQ(result.cacheBytes, 0u);
}

TEST(CapacityProbe, SettlesACounterfeitWithoutACacheInTheQuickRound) {
  MemoryFake drive(specOf("chain 16G 5G"));
  const ProbeResult result = CapacityProbe(drive, kSmall, 7).run();
  EXPECT_EQ(result.usableBytes, 5 * kGiB);
  EXPECT_LT(result.bytesWritten, 24 * kMiB);
}

TEST(CapacityProbe, ReportsProgressThatOnlyGrowsAndEndsComplete) {
  for (const bool full : {false, true}) {
    MemoryFake drive(specOf(full ? "wrap 256M 100M" : "wrap 2G 500M"));
    std::vector<ProbeProgress> seen;
    probed(drive, full, [&](const ProbeProgress& progress) { seen.push_back(progress); });
    ASSERT_GT(seen.size(), 100u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(), [](const auto& a, const auto& b) {
      return a.fraction < b.fraction;
    }));
    EXPECT_LT(seen[seen.size() - 2].fraction, 1.0);
    EXPECT_EQ(seen.back().fraction, 1.0);
  }
}

TEST(CapacityProbe, EachRunWritesNewSignatures) {
  // A stale block from an earlier run must not pass for this run's: a drive
  // that drops every write past 1 GiB but still holds an earlier run's blocks.
  MemoryFake drive(specOf("genuine 2G 0"));
  CapacityProbe(drive, kSmall, 1).run();
  Faulty frozen(drive, {.frozenFrom = kGiB});
  const ProbeResult result = CapacityProbe(frozen, kSmall, 2).run();
  EXPECT_EQ(result.usableBytes, kGiB);
}

}  // namespace
