// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/CheckLine.h"

using namespace tessaro;

namespace {

// fsck.fat's 1 means "fixed" or "gave up": only a clean read-only re-check
// makes it "fixed"; a re-check that could not run proves nothing.
TEST(HelperStatusTest, CheckStatusAfterTheReadOnlyRecheck) {
  const std::tuple<int, std::optional<int>, int> rows[] = {
      {0, std::nullopt, 0}, {1, 0, 1}, {1, 1, 4}, {1, std::nullopt, 4}, {2, std::nullopt, 2},
  };
  for (const auto& [repair, recheck, status] : rows) {
    EXPECT_EQ(linuxCheckStatus(repair, recheck), status) << repair;
  }
  EXPECT_TRUE(checkLeftFileSystemConsistent(1));
  EXPECT_FALSE(checkLeftFileSystemConsistent(4));
}

}  // namespace
