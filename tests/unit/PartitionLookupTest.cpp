// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "Await.h"
#include "drives/DiskManager.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/mac/MacDiskTools.h"
#include "drives/mac/PropertyList.h"
#include "exec/Error.h"

using namespace tessaro;

namespace {

const QString kFixtures = QStringLiteral(TESSARO_FIXTURES_DIR "/PartitionLookup/");

// A diskutil list of one disk, disk7, with these partitions (none when invalid).
QString macList(const QVariant& partitions) {
  QVariantMap disk{{"DeviceIdentifier", "disk7"}};
  if (partitions.isValid()) disk["Partitions"] = partitions;
  return writeXmlPropertyList(QVariantMap{{"AllDisksAndPartitions", QVariantList{disk}}});
}

template <typename Call>
QString errorOf(Call call) {
  try {
    call();
  } catch (const Error& error) {
    return error.domain() + ' ' + QString::number(error.code()) + ' ' + error.description();
  }
  return "no error";
}
const QString kNoIdentifier = "DiskManager 2 No partition identifier found";

TEST(PartitionLookup, MacFirstPartitionWhateverItsKindElseTheDiskAndS1) {
  const QVariantMap efi{{"Content", "EFI"}, {"DeviceIdentifier", "disk7s2"}};
  const QVariantMap withoutIdentifier{{"Content", "EFI"}};
  const std::pair<QVariant, QString> rows[] = {
      {QVariantList{efi, QVariantMap{{"DeviceIdentifier", "disk7s3"}}}, "disk7s2"},
      {QVariant(), "disk7s1"},
      {QVariantList(), "disk7s1"},
      {QVariantList{withoutIdentifier, efi}, "disk7s1"},
      // Identifiers end up in a root shell line: only letters and digits count.
      {QVariantList{QVariantMap{{"DeviceIdentifier", "disk7s1; reboot"}}}, "disk7s1"},
      {QVariantList{QVariantMap{{"DeviceIdentifier", ""}}}, "disk7s1"},
      {QVariantList{QVariantMap{{"DeviceIdentifier", "../disk0"}}}, "disk7s1"},
  };
  for (const auto& [partitions, expected] : rows) {
    EXPECT_EQ(MacDiskTools().parseFirstPartition(macList(partitions), "disk7"), expected);
  }
  const QString noDisks =
      writeXmlPropertyList(QVariantMap{{"AllDisksAndPartitions", QVariantList()}});
  EXPECT_EQ(errorOf([&] { MacDiskTools().parseFirstPartition(noDisks, "disk4"); }), kNoIdentifier);
  const QString hostileDisk = writeXmlPropertyList(
      QVariantMap{{"AllDisksAndPartitions",
                   QVariantList{QVariantMap{{"DeviceIdentifier", "disk4 /dev/disk0"}}}}});
  EXPECT_EQ(errorOf([&] { MacDiskTools().parseFirstPartition(hostileDisk, "disk4"); }),
            kNoIdentifier);
  EXPECT_EQ(MacDiskTools().parseDiskList(hostileDisk), QStringList());
  EXPECT_THROW(MacDiskTools().parseFirstPartition("Could not find disk: /dev/disk9", "disk9"),
               Error);
}

// A disk without partitions may hold its file system directly: it is named
// itself, never an invented partition.
TEST(PartitionLookup, LinuxFirstPartitionElseTheWholeDisk) {
  const std::pair<const char*, const char*> rows[] = {
      {R"({"name":"sdb","type":"disk","children":[
          {"name":"sdb2","type":"part"},{"name":"sdb1","type":"part"}]})",
       "sdb2"},
      // A mapping built directly on the disk is no partition.
      {R"({"name":"sdb","type":"disk","children":[{"name":"luks-1","type":"crypt"}]})", "sdb"},
      {R"({"name":"mmcblk0","type":"disk"})", "mmcblk0"},
      {R"({"name":"nvme0n1","type":"disk","children":[]})", "nvme0n1"},
  };
  for (const auto& [disks, expected] : rows) {
    const QString json = QString(R"({"blockdevices":[%1]})").arg(disks);
    EXPECT_EQ(LinuxDiskTools().parseFirstPartition(json, "sdb"), expected) << disks;
  }
  EXPECT_EQ(errorOf([] { LinuxDiskTools().parseFirstPartition(R"({"blockdevices":[]})", "sdb"); }),
            kNoIdentifier);
  EXPECT_THROW(LinuxDiskTools().parseFirstPartition("lsblk: /dev/sdz: not a block device", "sdz"),
               Error);
}

}  // namespace
