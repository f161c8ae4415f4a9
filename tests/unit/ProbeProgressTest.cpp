// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "contract/HelperEvent.h"
#include "drives/ProbeProgress.h"
#include "drives/ProbeResult.h"

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
      contract::HelperEvent::fromLine(contract::HelperEvent(counterfeit.wire()).line());
  ASSERT_TRUE(event && event->get<contract::ProbeResult>());
  EXPECT_EQ(ProbeResult::fromWire(*event->get<contract::ProbeResult>()).wire(), counterfeit.wire());

  ProbeResult genuine;
  genuine.claimedBytes = genuine.usableBytes = 8'000'000'000;
  genuine.samples = genuine.intact = 100;
  EXPECT_TRUE(contract::HelperEvent::fromJson(contract::HelperEvent(genuine.wire()).json()));
  // Hostile figures are in tests/fixtures/HelperEvents, run through the job.
}

}  // namespace
