#include <gtest/gtest.h>

#include "drives/ByteCount.h"

using tessaro::formatByteCount;

TEST(ByteCount, DecimalFileStyle) {
  EXPECT_EQ(formatByteCount(0), "Zero KB");
  EXPECT_EQ(formatByteCount(1), "1 byte");
  EXPECT_EQ(formatByteCount(999), "999 bytes");
  EXPECT_EQ(formatByteCount(1000), "1 KB");
  EXPECT_EQ(formatByteCount(1499), "1 KB");
  EXPECT_EQ(formatByteCount(1500), "2 KB");
  EXPECT_EQ(formatByteCount(999'999), "1 MB");
  EXPECT_EQ(formatByteCount(1'500'000), "1.5 MB");
  EXPECT_EQ(formatByteCount(1'000'000'000), "1 GB");
  EXPECT_EQ(formatByteCount(1'500'000'000), "1.5 GB");
  EXPECT_EQ(formatByteCount(15'758'000'000), "15.76 GB");
  EXPECT_EQ(formatByteCount(32'000'000'000), "32 GB");
  EXPECT_EQ(formatByteCount(32'015'679'488), "32.02 GB");
  EXPECT_EQ(formatByteCount(999'999'999'999), "1 TB");
  EXPECT_EQ(formatByteCount(2'000'398'934'016), "2 TB");
  EXPECT_EQ(formatByteCount(-1500), "-2 KB");
}
