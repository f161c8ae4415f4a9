// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/linux/FormatVerification.h"

using namespace tessaro;

namespace {

// What sfdisk 2.38, blkid 2.38, fsck.fat 4.2 and the boot sector show after
// formatting a 300 MiB disk.
FormatReadBack readBack() {
  FormatReadBack found;
  readSfdiskDump(
      "label: dos\nlabel-id: 0x4fdd4b04\ndevice: /dev/loop0\nunit: sectors\n\n"
      "/dev/loop0p1 : start=        2048, size=      612352, type=c\n",
      found);
  readBlkidExport(
      "DEVNAME=/dev/loop0p1\nLABEL_FATBOOT=MY\\ USB\nLABEL=MY\\ USB\nUUID=FB0C-74F5\n"
      "VERSION=FAT32\nTYPE=vfat\nPART_ENTRY_TYPE=0xc\n",
      found);
  readFsckVerbose(
      "fsck.fat 4.2 (2021-01-31)\n      4096 bytes per cluster\n"
      "     76383 data clusters (312864768 bytes)\n",
      found);
  QByteArray sector(512, '\0');
  sector[12] = 2;  // 512 bytes per sector, little-endian at 11
  sector[13] = 8;  // sectors per cluster
  sector[14] = char(4944 & 0xff);  // reserved sectors: 2048 + 4944 + 2 * 600 = 8192, 4 MiB
  sector[15] = char(4944 >> 8);
  sector[16] = 2;                 // FATs
  sector[36] = char(600 & 0xff);  // sectors per FAT
  sector[37] = char(600 >> 8);
  readBootSector(sector, found);
  found.fsckClean = true;
  return found;
}

TEST(FormatVerificationTest, WhatTheToolsReadBackMatchesTheRequestOrEachDifferenceIsNamed) {
  FormatReadBack found = readBack();
  const FormatVerdict verdict = verifyFormat({2048, "MY USB", 4096}, found);
  EXPECT_TRUE(verdict.matches);
  EXPECT_EQ(verdict.line.toStdString(),
            "Verified: dos table, partition type c at sector 2048; vfat FAT32, label \"MY USB\", "
            "4096-byte clusters, 76,383 clusters: as asked.");
  EXPECT_TRUE(verifyFormat({2048, "MY USB", std::nullopt}, found).matches);
  EXPECT_TRUE(verifyFormat({2048, "MY USB", 4096, 612352}, found).matches);
  EXPECT_TRUE(verifyFormat({2048, "MY USB", 4096, 612353}, found)
                  .line.endsWith(": partition is not 612,353 sectors long."));
  // The data area's alignment, from the table and the boot sector.
  EXPECT_EQ(verifyFormat({2048, "MY USB", 4096, {}, 4 << 20}, found).line.toStdString(),
            "Verified: dos table, partition type c at sector 2048; vfat FAT32, label \"MY USB\", "
            "4096-byte clusters, 76,383 clusters; data area aligned to 4 MiB: as asked.");
  FormatReadBack unaligned = found;
  unaligned.reservedSectors = 32;
  EXPECT_TRUE(verifyFormat({2048, "MY USB", 4096, {}, 4 << 20}, unaligned)
                  .line.endsWith(": data area is not aligned to 4 MiB."));
  EXPECT_TRUE(verifyFormat({2048, "MY USB", 4096, {}, 4096}, unaligned)
                  .line.endsWith("; data area aligned to the cluster (4096 bytes): as asked."));

  found.clusterCount = 4783;
  found.fsckClean = false;
  const FormatVerdict mismatch = verifyFormat({2048, "OTHER", 65536}, found);
  EXPECT_FALSE(mismatch.matches);
  EXPECT_TRUE(mismatch.line.startsWith("Verification failed: ")) << mismatch.line.toStdString();
  for (const char* part : {"label is not \"OTHER\"", "cluster size is not 65536 bytes",
                           "cluster count is outside", "fsck.fat reports errors"})
    EXPECT_TRUE(mismatch.line.contains(QLatin1String(part))) << part;
}

}  // namespace
