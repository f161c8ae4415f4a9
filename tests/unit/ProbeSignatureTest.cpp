// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <vector>

#include "drives/ProbePlan.h"
#include "drives/ProbeSignature.h"

using namespace tessaro;

namespace {

constexpr quint64 kBlock = ProbeSignature::blockBytes;
constexpr quint64 kMiB = quint64(1) << 20;
constexpr quint64 kGiB = quint64(1) << 30;
const ProbeSignature::Nonce kNonce{0x0123456789abcdefULL, 0xfedcba9876543210ULL};

std::vector<char> signatureOf(quint64 offset, const ProbeSignature::Nonce& nonce = kNonce) {
  std::vector<char> block(kBlock);
  ProbeSignature::write(offset, nonce, block);
  return block;
}

TEST(ProbeSignature, TellsItsOwnBlockFromAnotherOffsetsAndFromAnythingElse) {
  const auto block = signatureOf(5 * kGiB);
  const auto own = ProbeSignature::inspect(5 * kGiB, kNonce, block);
  EXPECT_EQ(own.kind, ProbeSignature::Kind::intact);

  const auto moved = ProbeSignature::inspect(kGiB, kNonce, block);
  EXPECT_EQ(moved.kind, ProbeSignature::Kind::aliased);
  EXPECT_EQ(moved.writtenAt, 5 * kGiB);

  const auto otherRun = signatureOf(5 * kGiB, {kNonce[0], kNonce[1] ^ 1});
  EXPECT_EQ(ProbeSignature::inspect(5 * kGiB, kNonce, otherRun).kind, ProbeSignature::Kind::lost);
  EXPECT_EQ(ProbeSignature::inspect(0, kNonce, std::vector<char>(kBlock, 0)).kind,
            ProbeSignature::Kind::lost);
  EXPECT_EQ(ProbeSignature::inspect(0, kNonce, std::vector<char>(kBlock, char(0xff))).kind,
            ProbeSignature::Kind::lost);
  // A truncated read is no block at all.
  EXPECT_EQ(ProbeSignature::inspect(5 * kGiB, kNonce, std::span(block).first(kBlock - 1)).kind,
            ProbeSignature::Kind::lost);
}

TEST(ProbeSignature, BlocksDoNotRepeatAcrossOffsets) {
  // Filler differs between offsets, so that a drive cannot store one block for many.
  const auto first = signatureOf(kMiB);
  const auto second = signatureOf(kMiB + kBlock);
  EXPECT_NE(std::vector<char>(first.begin() + 40, first.end() - 8),
            std::vector<char>(second.begin() + 40, second.end() - 8));
}

TEST(ProbeSignature, ADamagedBlockIsLostWhereverTheDamageIs) {
  // The magic, the offset field, the nonce, the filler and the checksum.
  for (const qsizetype at : {qsizetype(0), qsizetype(16), qsizetype(23), qsizetype(30),
                             qsizetype(40), qsizetype(2048), qsizetype(4087), qsizetype(4095)}) {
    auto block = signatureOf(7 * kBlock);
    block[at] = char(block[at] ^ 0x10);
    EXPECT_EQ(ProbeSignature::inspect(7 * kBlock, kNonce, block).kind, ProbeSignature::Kind::lost)
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
  for (const Case c : {Case{16 * kGiB, 2000}, Case{kGiB + 1234, 1800}, Case{128 * kMiB, 1000},
                       Case{2 * kMiB, 0}, Case{kBlock, 0}, Case{kBlock - 1, 0}, Case{0, 0}}) {
    QRandomGenerator random(42);
    const auto samples = ProbePlan::survey(c.claimed, settings, random);
    const quint64 covered = ProbePlan::coveredBytes(c.claimed);
    const quint64 shadow = ProbePlan::shadowBytes(c.claimed, settings);
    SCOPED_TRACE(c.claimed);
    EXPECT_LE(shadow, covered);
    EXPECT_GE(samples.size(), c.atLeast);
    EXPECT_LE(samples.size(), size_t(settings.strata) + 2 * 64 + 1);
    EXPECT_TRUE(isDescendingAndUnique(samples));
    quint64 below = shadow;
    for (auto it = samples.rbegin(); it != samples.rend(); ++it) {
      EXPECT_EQ(*it % kBlock, 0u);
      EXPECT_GE(*it, shadow);
      EXPECT_LE(*it + kBlock, covered);
      EXPECT_LE(*it - below, shadow) << "gap below " << *it;
      below = *it;
    }
    if (!samples.empty()) EXPECT_EQ(samples.front(), covered - kBlock);
    for (quint64 boundary = 2 * shadow; boundary < covered; boundary <<= 1) {
      EXPECT_NE(std::find(samples.begin(), samples.end(), boundary), samples.end()) << boundary;
      EXPECT_NE(std::find(samples.begin(), samples.end(), boundary - kBlock), samples.end());
    }
  }
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

TEST(ProbePlan, ARoundWritesSamplesHighestFirstAndTheShadowLastInChunks) {
  using Extent = ProbePlan::Extent;
  const std::vector<quint64> samples{kMiB + kBlock, 9 * kMiB, kBlock, 9 * kMiB};
  const auto extents = ProbePlan::round(samples, kMiB + 2 * kBlock, kMiB);
  const std::vector<Extent> want{{9 * kMiB, 1}, {2 * kBlock, 256}, {0, 2}};
  // kMiB + kBlock lies inside the shadow, and so does kBlock: the shadow covers them.
  EXPECT_EQ(extents, want);
  EXPECT_TRUE(ProbePlan::round({}, 0, kMiB).empty());
}

}  // namespace
