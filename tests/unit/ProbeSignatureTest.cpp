// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drives/ProbePlan.h"
#include "helper/probe/ProbeSignature.h"

using namespace tessaro;

namespace {

constexpr quint64 kBlock = ProbeSignature::blockBytes;
constexpr quint64 kMiB = quint64(1) << 20;
constexpr quint64 kGiB = quint64(1) << 30;
const ProbeSignature::Nonce kNonce{0x0123456789abcdefULL, 0xfedcba9876543210ULL};

const ProbeSignature kSignature(kNonce);

std::vector<char> signatureOf(quint64 offset, const ProbeSignature::Nonce& nonce = kNonce) {
  std::vector<char> block(kBlock);
  ProbeSignature(nonce).write(offset, block);
  return block;
}

TEST(ProbeSignature, TellsItsOwnBlockFromAnotherOffsetsAndFromAnythingElse) {
  const auto block = signatureOf(5 * kGiB);
  const auto own = kSignature.inspect(5 * kGiB, block);
  EXPECT_EQ(own.kind, ProbeSignature::Kind::intact);

  const auto moved = kSignature.inspect(kGiB, block);
  EXPECT_EQ(moved.kind, ProbeSignature::Kind::aliased);
  EXPECT_EQ(moved.writtenAt, 5 * kGiB);

  const auto otherRun = signatureOf(5 * kGiB, {kNonce[0], kNonce[1] ^ 1});
  EXPECT_EQ(kSignature.inspect(5 * kGiB, otherRun).kind, ProbeSignature::Kind::lost);
  EXPECT_EQ(kSignature.inspect(0, std::vector<char>(kBlock, 0)).kind, ProbeSignature::Kind::lost);
  EXPECT_EQ(kSignature.inspect(0, std::vector<char>(kBlock, char(0xff))).kind,
            ProbeSignature::Kind::lost);
  // A truncated read is no block at all.
  EXPECT_EQ(kSignature.inspect(5 * kGiB, std::span(block).first(kBlock - 1)).kind,
            ProbeSignature::Kind::lost);
}

TEST(ProbeSignature, BlocksDoNotRepeatAcrossOffsets) {
  // Every word past the header differs between offsets, so that a drive
  // cannot store one block for many.
  const auto first = signatureOf(kMiB);
  const auto second = signatureOf(kMiB + kBlock);
  for (size_t at = 40; at < kBlock; at += 8) {
    EXPECT_NE(std::memcmp(first.data() + at, second.data() + at, 8), 0) << at;
  }
}

TEST(ProbeSignature, ADamagedBlockIsLostWhereverTheDamageIs) {
  // The magic, the offset field, the nonce and the body to its last byte.
  for (const qsizetype at : {qsizetype(0), qsizetype(16), qsizetype(23), qsizetype(30),
                             qsizetype(40), qsizetype(2048), qsizetype(4087), qsizetype(4095)}) {
    auto block = signatureOf(7 * kBlock);
    block[at] = char(block[at] ^ 0x10);
    EXPECT_EQ(kSignature.inspect(7 * kBlock, block).kind, ProbeSignature::Kind::lost)
        << "byte " << at;
  }
}

bool isDescendingAndUnique(const std::vector<quint64>& offsets) {
  for (size_t i = 1; i < offsets.size(); ++i) {
    if (offsets[i] >= offsets[i - 1]) return false;
  }
  return true;
}

TEST(ProbePlan, SurveysTheWholeClaimedSizeWithNoGapWiderThanTheShadow) {
  const ProbePlan::Settings settings;
  struct Case {
    quint64 claimed;
    size_t atLeast;
  };
  // 4 TiB: more slices than settings.strata, so that the shadow stays within
  // the cache limit's filler.
  for (const Case c : {Case{16 * kGiB, 2000}, Case{kGiB + 1234, 1800}, Case{128 * kMiB, 1000},
                       Case{4096 * kGiB, 8000}, Case{2 * kMiB, 500}, Case{kBlock, 1},
                       Case{kBlock - 1, 0}, Case{0, 0}}) {
    QRandomGenerator random(42);
    const auto samples = ProbePlan::survey(c.claimed, settings, random);
    const quint64 covered = ProbePlan::coveredBytes(c.claimed);
    const quint64 shadow = ProbePlan::surveyShadow(c.claimed, settings);
    SCOPED_TRACE(c.claimed);
    EXPECT_GE(samples.size(), c.atLeast);
    EXPECT_LE(shadow, std::min(covered, settings.cacheLimitBytes));
    EXPECT_TRUE(isDescendingAndUnique(samples));
    quint64 below = 0;
    for (auto it = samples.rbegin(); it != samples.rend(); ++it) {
      EXPECT_EQ(*it % kBlock, 0u);
      EXPECT_LE(*it + kBlock, covered);
      EXPECT_LT(*it - below, shadow) << "gap below " << *it;
      below = *it;
    }
    if (!samples.empty()) EXPECT_LE(covered - samples.front(), shadow);
  }
}

TEST(ProbePlan, TheQuickRoundTakesThePowersOfTwoAndTheLastBlock) {
  EXPECT_EQ(ProbePlan::quick(5 * kBlock + 100),
            (std::vector<quint64>{4 * kBlock, 3 * kBlock, 2 * kBlock, kBlock}));
  const auto samples = ProbePlan::quick(16 * kGiB);
  EXPECT_TRUE(isDescendingAndUnique(samples));
  EXPECT_EQ(samples.front(), 16 * kGiB - kBlock);
  EXPECT_NE(std::find(samples.begin(), samples.end(), 8 * kGiB), samples.end());
  EXPECT_NE(std::find(samples.begin(), samples.end(), 8 * kGiB - kBlock), samples.end());
  EXPECT_LT(samples.size(), 70u);
  EXPECT_TRUE(ProbePlan::quick(kBlock - 1).empty());
}

TEST(ProbePlan, RefinesStrictlyBetweenTheLastGoodAndTheFirstBadSample) {
  struct Case {
    std::optional<quint64> lastGood;
    quint64 firstBad;
    int count;
    std::vector<quint64> expected;
  };
  const std::vector<Case> cases{
      {kMiB, kMiB + 4 * kBlock, 8, {kMiB + 3 * kBlock, kMiB + 2 * kBlock, kMiB + kBlock}},
      {kMiB, kMiB + kBlock, 8, {}},
      {std::nullopt, 2 * kBlock, 8, {kBlock, 0}},
      {kMiB, kMiB + 9 * kBlock, 2, {kMiB + 5 * kBlock, kMiB + kBlock}},
      {kMiB, kMiB + 9 * kBlock, 0, {}},
      {kMiB, kMiB, 8, {}},
      {2 * kMiB, kMiB, 8, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProbePlan::refinement(c.lastGood, c.firstBad, c.count), c.expected) << c.firstBad;
  }
  const auto spread = ProbePlan::refinement(kGiB, kGiB + 16 * kMiB, 256);
  EXPECT_EQ(spread.size(), 256u);
  EXPECT_TRUE(isDescendingAndUnique(spread));
  EXPECT_EQ(spread.back(), kGiB + kBlock);
  EXPECT_LT(spread.front(), kGiB + 16 * kMiB);
}

TEST(ProbePlan, TheRefinementsSpacingCoversItsWidestGap) {
  EXPECT_EQ(ProbePlan::refinementSpacing(kMiB, kMiB + 4 * kBlock, 8), 2 * kBlock);
  // 4095 candidates over 256 samples: gaps of at most 16 blocks, and one more.
  EXPECT_EQ(ProbePlan::refinementSpacing(kGiB, kGiB + 16 * kMiB, 256), 17 * kBlock);
}

}  // namespace
