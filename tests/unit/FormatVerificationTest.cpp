// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "helper/format/FormatVerification.h"

using namespace tessaro;

namespace {

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}
bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// What a 300 MiB disk holds after a format (table, boot sector, root
// directory) and what fsck.fat 4.2 -v says of it.
FormatReadBack readBack() {
  FormatReadBack found;
  const auto put = [](std::string& bytes, int at, std::int64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = char(value >> (8 * i));
  };
  std::string mbr(512, '\0');
  put(mbr, 446 + 4, 0x0c, 1);  // the first entry: type c, from sector 2048, 612352 sectors
  put(mbr, 446 + 8, 2048, 4);
  put(mbr, 446 + 12, 612352, 4);
  put(mbr, 510, 0xAA55, 2);
  readMbr(mbr, found);
  readFsckVerbose(
      "fsck.fat 4.2 (2021-01-31)\n      4096 bytes per cluster\n"
      "     76383 data clusters (312864768 bytes)\n",
      found);
  std::string sector(512, '\0');
  put(sector, 11, 512, 2);   // bytes per sector
  put(sector, 13, 8, 1);     // sectors per cluster
  put(sector, 14, 4944, 2);  // reserved sectors: 2048 + 4944 + 2 * 600 = 8192, 4 MiB
  put(sector, 16, 2, 1);     // FATs
  put(sector, 28, 2048, 4);  // hidden sectors: where the partition starts
  put(sector, 36, 600, 4);   // sectors per FAT
  sector.replace(71, 19, "NO NAME    FAT32   ");
  put(sector, 510, 0xAA55, 2);
  readBootSector(sector, found);
  std::string root(4096, '\0');
  root.replace(0, 12, "MY USB     \x08");  // the volume label entry
  readFatVolume(sector, root, found);
  found.fsckClean = true;
  return found;
}

TEST(FormatVerificationTest, WhatTheToolsReadBackMatchesTheRequestOrEachDifferenceIsNamed) {
  FormatReadBack found = readBack();
  const FormatCheck check = verifyFormat({2048, "MY USB", 4096}, found);
  EXPECT_TRUE(check.verdict.matches);
  EXPECT_EQ(check.line,
            "Verified: dos table, partition type c at sector 2048; vfat FAT32, label \"MY USB\", "
            "4096-byte clusters, 76,383 clusters: as asked.");
  EXPECT_TRUE(verifyFormat({2048, "MY USB", std::nullopt}, found).verdict.matches);
  EXPECT_TRUE(verifyFormat({2048, "MY USB", 4096, 612352}, found).verdict.matches);
  EXPECT_TRUE(endsWith(verifyFormat({2048, "MY USB", 4096, 612353}, found).line,
                       ": partition is not 612,353 sectors long."));
  // The boot sector says where its partition starts in the disk's own
  // sectors: 256 on a disk of 4096-byte sectors, not 2048 512-byte units.
  FormatReadBack hidden = found;
  hidden.hiddenSectors = 2048;
  EXPECT_TRUE(contains(verifyFormat({256, "MY USB", 4096}, hidden).line,
                       "boot sector's hidden sectors are not 256"));
  // The data area's alignment, from the table and the boot sector.
  EXPECT_EQ(verifyFormat({2048, "MY USB", 4096, {}, 4 << 20}, found).line,
            "Verified: dos table, partition type c at sector 2048; vfat FAT32, label \"MY USB\", "
            "4096-byte clusters, 76,383 clusters; data area aligned to 4 MiB: as asked.");
  // The same facts for the result event.
  const contract::FormatVerdict figures =
      verifyFormat({2048, "MY USB", 4096, {}, 4 << 20}, found).verdict;
  EXPECT_EQ(figures, (contract::FormatVerdict{true, "dos", "c", 2048, 612352, "FAT32", "MY USB",
                                              4096, 76383, 4 << 20, true}));
  FormatReadBack unaligned = found;
  unaligned.reservedSectors = 32;
  EXPECT_TRUE(endsWith(verifyFormat({2048, "MY USB", 4096, {}, 4 << 20}, unaligned).line,
                       ": data area is not aligned to 4 MiB."));
  EXPECT_TRUE(endsWith(verifyFormat({2048, "MY USB", 4096, {}, 4096}, unaligned).line,
                       "; data area aligned to the cluster (4096 bytes): as asked."));

  // The label as blkid reads it: the root directory's label entry, skipping
  // deleted and long-name entries; else the boot sector's; "NO NAME" is none.
  std::string boot(512, '\0');
  boot.replace(71, 19, "BOOT NAME  FAT32   ");
  boot[510] = char(0x55);
  boot[511] = char(0xAA);
  const std::string none(20, '\0');
  const std::pair<std::string, const char*> roots[] = {
      {std::string("\xE5LD NAME   \x08", 12) + none + std::string("LONG NAME  \x0F", 12) + none +
           std::string("ROOT NAME  \x08", 12) + none,
       "ROOT NAME"},
      {std::string("FILE    TXT\x20", 12) + none, "BOOT NAME"},
      {std::string("NO NAME    \x08", 12) + none, ""},
      {std::string(), "BOOT NAME"},
  };
  for (const auto& [root, label] : roots) {
    FormatReadBack volume;
    readFatVolume(boot, root, volume);
    EXPECT_EQ(volume.label, label);
    EXPECT_EQ(volume.fsVersion, "FAT32");
  }
  FormatReadBack noTable;
  readMbr(std::string(512, '\0'), noTable);
  EXPECT_EQ(noTable.partitionCount, 0);
  EXPECT_TRUE(contains(verifyFormat({2048, "MY USB", 4096}, noTable).line, "no MBR (dos) table"));

  found.clusterCount = 4783;
  found.fsckClean = false;
  const FormatCheck mismatch = verifyFormat({2048, "OTHER", 65536}, found);
  EXPECT_FALSE(mismatch.verdict.matches);
  EXPECT_EQ(mismatch.line.rfind("Verification failed: ", 0), 0u) << mismatch.line;
  for (const char* part : {"label is not \"OTHER\"", "cluster size is not 65536 bytes",
                           "cluster count is outside", "fsck.fat reports errors"})
    EXPECT_TRUE(contains(mismatch.line, part)) << part;

  // FAT32's own bounds on the cluster count, each side of them.
  FormatReadBack bounds = readBack();
  for (const auto& [clusters, fat32] : {std::pair{65524, false}, std::pair{65525, true},
                                        std::pair{268435445, true}, std::pair{268435446, false}}) {
    bounds.clusterCount = clusters;
    EXPECT_EQ(verifyFormat({2048, "MY USB", std::nullopt}, bounds).verdict.matches, fat32)
        << clusters;
  }
}

}  // namespace
