#include <gtest/gtest.h>

#include "drives/FormatVerification.h"

using namespace tessaro;

namespace {

// As sfdisk 2.38, blkid 2.38 and fsck.fat 4.2 print them for a 300 MiB disk.
const QString kDump = QStringLiteral(
    "label: dos\nlabel-id: 0x4fdd4b04\ndevice: /dev/loop0\nunit: sectors\nsector-size: 512\n\n"
    "/dev/loop0p1 : start=        2048, size=      612352, type=c\n");
const QString kBlkid = QStringLiteral(
    "DEVNAME=/dev/loop0p1\nLABEL_FATBOOT=MY\\ USB\nLABEL=MY\\ USB\nUUID=FB0C-74F5\n"
    "VERSION=FAT32\nBLOCK_SIZE=512\nTYPE=vfat\nUSAGE=filesystem\nPART_ENTRY_TYPE=0xc\n");
const QString kFsck = QStringLiteral(
    "fsck.fat 4.2 (2021-01-31)\nBoot sector contents:\n       512 bytes per logical sector\n"
    "      4096 bytes per cluster\n     76383 data clusters (312864768 bytes)\n"
    "/dev/loop0p1: 1 files, 1/76383 clusters\n");

FormatReadBack readBack() {
  FormatReadBack found;
  readSfdiskDump(kDump, found);
  readBlkidExport(kBlkid, found);
  readFsckVerbose(kFsck, found);
  QByteArray sector(512, '\0');
  sector[11] = 0x00;
  sector[12] = 0x02;  // 512 bytes per sector
  sector[13] = 8;     // sectors per cluster
  readBootSector(sector, found);
  found.fsckClean = true;
  return found;
}

TEST(FormatVerificationTest, ReadsWhatTheToolsPrint) {
  const FormatReadBack found = readBack();
  EXPECT_EQ(found.tableLabel, QStringLiteral("dos"));
  EXPECT_EQ(found.partitionCount, 1);
  EXPECT_EQ(found.partitionType, QStringLiteral("c"));
  EXPECT_EQ(found.partitionStart, 2048);
  EXPECT_EQ(found.fsType, QStringLiteral("vfat"));
  EXPECT_EQ(found.fsVersion, QStringLiteral("FAT32"));
  EXPECT_EQ(found.label, QStringLiteral("MY USB"));
  EXPECT_EQ(found.clusterBytes(), 4096);
  EXPECT_EQ(found.clusterCount, 76383);
}

TEST(FormatVerificationTest, MatchingDriveGivesOneVerifiedLine) {
  const FormatVerdict verdict = verifyFormat({2048, QStringLiteral("MY USB"), 4096}, readBack());
  EXPECT_TRUE(verdict.matches);
  EXPECT_EQ(verdict.line,
            QStringLiteral("Verified: dos table, partition type c at sector 2048; vfat FAT32, "
                           "label \"MY USB\", 4096-byte clusters, 76,383 clusters: as asked."));
  EXPECT_TRUE(verifyFormat({2048, QStringLiteral("MY USB"), std::nullopt}, readBack()).matches);
}

TEST(FormatVerificationTest, EveryDifferenceIsNamed) {
  FormatReadBack found = readBack();
  found.clusterCount = 4783;
  found.fsckClean = false;
  const FormatVerdict verdict = verifyFormat({2048, QStringLiteral("OTHER"), 65536}, found);
  EXPECT_FALSE(verdict.matches);
  EXPECT_TRUE(verdict.line.startsWith(QStringLiteral("Verification failed: ")));
  for (const char* part : {"label is not \"OTHER\"", "cluster size is not 65536 bytes",
                           "cluster count is outside", "fsck.fat reports errors"}) {
    EXPECT_TRUE(verdict.line.contains(QLatin1String(part))) << part;
  }
  EXPECT_FALSE(verifyFormat({2048, QStringLiteral("MY USB"), 4096}, FormatReadBack{}).matches);
}

}  // namespace
