// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/FormatRequestRules.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/mac/MacDiskTools.h"
#include "jobs/WorkflowPolicy.h"

using namespace tessaro;

namespace {

constexpr qint64 GB = 1'000'000'000;

Drive driveOf(qint64 bytes) {
  Drive drive;
  drive.bsdName = "sdx";
  drive.devicePath = "/dev/sdx";
  drive.size = bytes;
  return drive;
}

// A capacity test's result: every sample intact, or data only in the first usable bytes.
ProbeResult tested(qint64 claimed, std::optional<qint64> usable = std::nullopt,
                   ProbeResult::Verdict verdict = ProbeResult::Verdict::counterfeit) {
  ProbeResult result;
  result.claimedBytes = quint64(claimed);
  result.usableBytes = quint64(usable.value_or(claimed));
  if (usable) {
    result.verdict = verdict;
    if (verdict == ProbeResult::Verdict::counterfeit) result.firstBadOffset = quint64(*usable);
    if (verdict == ProbeResult::Verdict::damaged)
      result.badRegions = {{quint64(*usable), quint64(*usable) + 4096}};
  }
  return result;
}

}  // namespace

// Only what will not be refused is confirmed; a refused request erases nothing.
TEST(WorkflowPolicy, AsksOnlyBeforeWorkThatWillErase) {
  const LinuxDiskTools linuxTools("/nonexistent/lsblk", "/nonexistent");
  const WorkflowPolicy policy(linuxTools);
  const struct {
    const char* what;
    FormatRequest request;
    bool asks;
  } rows[] = {
      {"whole drive", {driveOf(16 * GB), "UNTITLED", {}}, true},
      {"name mkfs.fat refuses", {driveOf(16 * GB), "A*B", {}}, false},
      {"cluster size too small for the drive", {driveOf(4000 * GB), "UNTITLED", 512}, false},
      {"partition larger than the drive", {driveOf(16 * GB), "UNTITLED", {}, 17 * GB}, false},
      {"partition too small for FAT32", {driveOf(16 * GB), "UNTITLED", {}, 20'000'000}, false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(policy.asksBeforeFormat(row.request), row.asks) << row.what;

  EXPECT_TRUE(policy.asksBeforeCapacityTest(driveOf(16 * GB)));
  // Where there is no capacity test it erases nothing; the job says so.
  const MacDiskTools mac;
  EXPECT_FALSE(WorkflowPolicy(mac).asksBeforeCapacityTest(driveOf(16 * GB)));
}

// After a capacity test: the whole drive when it held everything, else only
// what holds data, in a size the format accepts; refused when too small.
TEST(WorkflowPolicy, OffersTheFormatThatMakesATestedDriveUsable) {
  const LinuxDiskTools linuxTools("/nonexistent/lsblk", "/nonexistent");
  const WorkflowPolicy policy(linuxTools);
  using Verdict = ProbeResult::Verdict;
  const struct {
    const char* what;
    qint64 claimed;
    std::optional<qint64> usable;
    std::optional<qint64> partitionBytes;
    bool refused;
    Verdict verdict = Verdict::counterfeit;
  } rows[] = {
      {"genuine", 16 * GB, {}, {}, false},
      {"counterfeit", 64 * GB, 8 * GB + 12345, partitionBytesWithin(8 * GB + 12345), false},
      {"damaged", 64 * GB, 8 * GB + 12345, partitionBytesWithin(8 * GB + 12345), false,
       Verdict::damaged},
      {"holds data in its first MiB only", 64 * GB, 1 << 20, partitionBytesWithin(1 << 20), true},
      {"too little for FAT32", 64 * GB, 20'000'000, partitionBytesWithin(20'000'000), true},
  };
  for (const auto& row : rows) {
    const Drive drive = driveOf(row.claimed);
    const auto offer =
        policy.formatAfterTest(drive, tested(row.claimed, row.usable, row.verdict), "stick", 4096);
    EXPECT_FALSE(offer.unusable) << row.what;
    EXPECT_EQ(offer.request.drive, drive) << row.what;
    EXPECT_EQ(offer.request.volumeName, "STICK") << row.what;
    EXPECT_EQ(offer.request.clusterBytes, 4096) << row.what;
    EXPECT_EQ(offer.request.partitionBytes, row.partitionBytes) << row.what;
    EXPECT_EQ(offer.withinHeldData, row.usable.has_value()) << row.what;
    EXPECT_EQ(offer.refusal.has_value(), row.refused) << row.what;
    if (row.partitionBytes) EXPECT_LE(1024 * 1024 + *row.partitionBytes, *row.usable) << row.what;
  }
  // A drive that refused writes or stopped storing them is offered none.
  EXPECT_TRUE(policy.formatAfterTest(driveOf(16 * GB), tested(16 * GB, 0, Verdict::failed), {}, {})
                  .unusable);
  // The command line offers it with the default name and cluster size.
  const auto plain = policy.formatAfterTest(driveOf(16 * GB), tested(16 * GB), {}, std::nullopt);
  EXPECT_EQ(plain.request.volumeName, "UNTITLED");
  EXPECT_EQ(plain.request.clusterBytes, std::nullopt);
}
