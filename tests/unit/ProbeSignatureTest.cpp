// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drives/ProbePlan.h"
#include "helper/probe/ProbeSignature.h"

using namespace tessaro;

namespace {

constexpr std::uint64_t kBlock = ProbeSignature::blockBytes;
constexpr std::uint64_t kMiB = std::uint64_t(1) << 20;
constexpr std::uint64_t kGiB = std::uint64_t(1) << 30;
const ProbeSignature::Nonce kNonce{0x0123456789abcdefULL, 0xfedcba9876543210ULL};

const ProbeSignature kSignature(kNonce);

std::vector<char> signatureOf(std::uint64_t offset, const ProbeSignature::Nonce& nonce = kNonce) {
  std::vector<char> block(kBlock);
  ProbeSignature(nonce).write(offset, block);
  return block;
}

bool isDescendingAndUnique(const std::vector<std::uint64_t>& offsets) {
  for (size_t i = 1; i < offsets.size(); ++i) {
    if (offsets[i] >= offsets[i - 1]) return false;
  }
  return true;
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
  struct Case {
    std::optional<std::uint64_t> lastGood;
    std::uint64_t firstBad;
    int count;
    std::vector<std::uint64_t> expected;
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
