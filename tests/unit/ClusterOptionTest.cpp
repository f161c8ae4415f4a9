// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/ClusterOption.h"

using tessaro::ClusterOption;

TEST(ClusterOption, RawValuesParseExactlyAndGiveBytes) {
  std::string labels;
  for (ClusterOption option : ClusterOption::allCases()) {
    labels += (labels.empty() ? "" : ",") + option.rawValue();
    EXPECT_EQ(ClusterOption::fromRawValue(option.rawValue()), option);
  }
  EXPECT_EQ(labels, "Default,512,1024,2048,4096,8192,16384,32768,65536");
  for (const char* bad : {"default", " 512", "512 ", "", "1000"})
    EXPECT_FALSE(ClusterOption::fromRawValue(bad)) << bad;
  EXPECT_EQ(ClusterOption(ClusterOption::Default).bytes(), std::nullopt);
  EXPECT_EQ(ClusterOption(ClusterOption::C65536).bytes(), 65536);
}
