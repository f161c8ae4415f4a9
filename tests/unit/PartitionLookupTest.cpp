#include <gtest/gtest.h>

#include <QFile>

#include "Await.h"
#include "drives/DiskManager.h"
#include "drives/LinuxDiskTools.h"
#include "drives/MacDiskTools.h"
#include "drives/PropertyList.h"
#include "exec/Error.h"

using namespace tessaro;

namespace {

const QString kFixtures = QStringLiteral(TESSARO_FIXTURES_DIR "/PartitionLookup/");
using DiskEdit = std::function<void(QVariantMap&)>;

// The saved diskutil list with its disk renamed disk7 and then changed by edit.
QString macList(const DiskEdit& edit) {
  QFile file(kFixtures + "disk4.plist");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  QVariantMap list = parsePropertyList(file.readAll()).toMap();
  QVariantMap disk = list["AllDisksAndPartitions"].toList()[0].toMap();
  disk["DeviceIdentifier"] = "disk7";
  edit(disk);
  list["AllDisksAndPartitions"] = QVariantList{disk};
  return writeXmlPropertyList(list);
}

template <typename Call>
void expectNoIdentifierError(Call call) {
  try {
    call();
    ADD_FAILURE() << "no error raised";
  } catch (const Error& error) {
    EXPECT_EQ(error.domain(), "DiskManager");
    EXPECT_EQ(error.code(), 2);
    EXPECT_EQ(error.description(), "No partition identifier found");
  }
}

// The tools are stand-ins that check their arguments and print the saved
// list: disk4's first partition is its EFI partition, mmcblk0's is p1.
TEST(PartitionLookup, BothPlatformsRunTheirToolAndTakeTheFirstPartition) {
  DiskManager mac(std::make_unique<MacDiskTools>(kFixtures + "diskutil"));
  EXPECT_EQ(test::awaitTask(mac.findPartition("disk4")), "disk4s1");
  EXPECT_THROW(test::awaitTask(mac.findPartition("disk9")), Error);
  DiskManager linux(std::make_unique<LinuxDiskTools>(kFixtures + "lsblk"));
  EXPECT_EQ(test::awaitTask(linux.findPartition("mmcblk0")), "mmcblk0p1");
  EXPECT_THROW(test::awaitTask(linux.findPartition("sdz")), Error);
}

TEST(PartitionLookup, MacFallsBackToTheDiskAndS1) {
  const DiskEdit edits[] = {
      [](QVariantMap& disk) { disk.remove("Partitions"); },
      [](QVariantMap& disk) { disk["Partitions"] = QVariantList(); },
      [](QVariantMap& disk) {  // the first partition has no identifier
        disk["Partitions"] = QVariantList{QVariantMap{{"Content", "EFI"}},
                                          QVariantMap{{"DeviceIdentifier", "disk7s2"}}};
      },
  };
  for (const DiskEdit& edit : edits) {
    EXPECT_EQ(MacDiskTools().parseFirstPartition(macList(edit), "disk7"), "disk7s1");
  }
  const QString noDisks =
      writeXmlPropertyList(QVariantMap{{"AllDisksAndPartitions", QVariantList()}});
  expectNoIdentifierError([&] { MacDiskTools().parseFirstPartition(noDisks, "disk4"); });
  EXPECT_THROW(MacDiskTools().parseFirstPartition("Could not find disk: /dev/disk9", "disk9"),
               Error);
}

TEST(PartitionLookup, LinuxFirstPartitionElseTheKernelsNameForPartitionOne) {
  const struct {
    const char* disks;
    const char* expected;
  } rows[] = {
      {R"({"name":"sdb","type":"disk","children":[
          {"name":"sdb2","type":"part"},{"name":"sdb1","type":"part"}]})",
       "sdb2"},
      // A mapping built directly on the disk is no partition.
      {R"({"name":"sdb","type":"disk","children":[{"name":"luks-1","type":"crypt"}]})", "sdb1"},
      {R"({"name":"mmcblk0","type":"disk"})", "mmcblk0p1"},
      {R"({"name":"nvme0n1","type":"disk","children":[]})", "nvme0n1p1"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.disks);
    const QString json = QString(R"({"blockdevices":[%1]})").arg(row.disks);
    EXPECT_EQ(LinuxDiskTools().parseFirstPartition(json, "sdb"), row.expected);
  }
  expectNoIdentifierError(
      [] { LinuxDiskTools().parseFirstPartition(R"({"blockdevices":[]})", "sdb"); });
  EXPECT_THROW(LinuxDiskTools().parseFirstPartition("lsblk: /dev/sdz: not a block device", "sdz"),
               Error);
}

}  // namespace
