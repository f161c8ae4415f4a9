// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/ProbeProgress.h"
#include "drives/ProbeResult.h"
#include "exec/HelperEvent.h"

using namespace tessaro;

namespace {

TEST(ProbeResult, CrossesAsAnEventWithEveryFigure) {
  ProbeResult counterfeit;
  counterfeit.verdict = ProbeResult::Verdict::counterfeit;
  counterfeit.claimedBytes = 16ULL << 30;
  counterfeit.usableBytes = 1ULL << 30;
  counterfeit.firstBadOffset = 1ULL << 30;
  counterfeit.samples = 18440;
  counterfeit.intact = 18307;
  counterfeit.aliased = 133;
  counterfeit.bytesWritten = 123456789;
  counterfeit.bytesRead = 98765432;
  counterfeit.milliseconds = 1234;
  counterfeit.cacheBytes = 128ULL << 20;
  counterfeit.writeBytesPerSecond = 20'000'000;
  counterfeit.readBytesPerSecond = 30'000'000;
  const auto event =
      HelperEvent::fromLine(HelperEvent::result("probe", counterfeit.toJson()).line());
  ASSERT_TRUE(event);
  const auto read = ProbeResult::fromJson(event->fields());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->toJson(), counterfeit.toJson());

  ProbeResult genuine;
  genuine.claimedBytes = genuine.usableBytes = 8'000'000'000;
  genuine.samples = genuine.intact = 100;
  EXPECT_TRUE(ProbeResult::fromJson(genuine.toJson()));
  // Hostile figures are in tests/fixtures/HelperEvents, run through the job.
}

}  // namespace
