// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/ByteCount.h"

TEST(ByteCount, DecimalUnitsWithFewDecimals) {
  // clang-format off
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "0 B"}, {1, "1 B"}, {999, "999 B"}, {1499, "1 KB"}, {1500, "2 KB"},
      {999'999, "1 MB"}, {1'500'000, "1.5 MB"}, {15'758'000'000, "15.76 GB"},
      {32'000'000'000, "32 GB"}, {999'999'999'999, "1 TB"}, {-1500, "-2 KB"}};
  // clang-format on
  for (const auto& [bytes, text] : cases) EXPECT_EQ(tessaro::formatByteCount(bytes), text) << bytes;
}
