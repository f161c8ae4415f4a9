#include <gtest/gtest.h>

#include "drives/ClusterOption.h"
#include "drives/Drive.h"

using tessaro::ClusterOption;
using tessaro::Drive;

TEST(ClusterOption, RawValuesParseExactlyAndGiveBytes) {
  EXPECT_EQ(ClusterOption::allCases().size(), 9u);
  EXPECT_EQ(ClusterOption::allCases().front(), ClusterOption::Default);
  EXPECT_EQ(ClusterOption::fromRawValue("Default"), ClusterOption::Default);
  EXPECT_EQ(ClusterOption::fromRawValue("65536"), ClusterOption::C65536);
  for (const char* bad : {"default", " 512", "512 ", "", "1000"})
    EXPECT_FALSE(ClusterOption::fromRawValue(bad).has_value()) << bad;
  EXPECT_FALSE(ClusterOption(ClusterOption::Default).bytes().has_value());
  EXPECT_EQ(ClusterOption(ClusterOption::C512).bytes(), 512);
  EXPECT_EQ(ClusterOption(ClusterOption::C65536).bytes(), 65536);
  QStringList labels;
  for (auto option : ClusterOption::allCases()) labels << option.rawValue();
  EXPECT_EQ(labels.join(','), "Default,512,1024,2048,4096,8192,16384,32768,65536");
}

TEST(Drive, EqualityAndHashCoverEveryField) {
  Drive a{QUuid::createUuid(), "sdb", "/dev/sdb", "32 GB Ultra (sdb)", "Ultra", false,
          32'000'000'000};
  Drive copy = a;
  EXPECT_EQ(a, copy);
  EXPECT_EQ(qHash(a), qHash(copy));
  Drive otherId = a;
  otherId.id = QUuid::createUuid();
  EXPECT_NE(a, otherId);
  Drive otherSize = a;
  otherSize.size = 1;
  EXPECT_NE(a, otherSize);
}
