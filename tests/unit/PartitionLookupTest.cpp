#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

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

QVariantMap savedList() {
  QFile file(kFixtures + "disk4.plist");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return parsePropertyList(file.readAll()).toMap();
}

// The saved list with its first disk entry changed by edit.
QString listWithDisk(const std::function<void(QVariantMap&)>& edit) {
  QVariantMap list = savedList();
  QVariantList disks = list["AllDisksAndPartitions"].toList();
  QVariantMap disk = disks[0].toMap();
  disk["DeviceIdentifier"] = "disk7";
  edit(disk);
  disks[0] = disk;
  list["AllDisksAndPartitions"] = disks;
  return writeXmlPropertyList(list);
}

template <typename Call>
Error errorOf(Call call) {
  try {
    call();
  } catch (const Error& error) {
    return error;
  }
  ADD_FAILURE() << "no error raised";
  return Error({}, 0, {});
}

void expectNoIdentifierError(const Error& error) {
  EXPECT_EQ(error.domain(), "DiskManager");
  EXPECT_EQ(error.code(), 2);
  EXPECT_EQ(error.description(), "No partition identifier found");
}

TEST(MacPartitionLookup, FirstPartitionWhateverItsKind) {
  const MacDiskTools mac;
  EXPECT_EQ(mac.partitionListCommand("disk4"),
            QStringList({"/usr/sbin/diskutil", "list", "-plist", "/dev/disk4"}));
  EXPECT_EQ(mac.parseFirstPartition(writeXmlPropertyList(savedList()), "disk4"), "disk4s1");
  const QString second = listWithDisk([](QVariantMap& disk) {
    QVariantList partitions = disk["Partitions"].toList();
    partitions.removeFirst();
    disk["Partitions"] = partitions;
  });
  EXPECT_EQ(mac.parseFirstPartition(second, "disk7"), "disk4s2");
}

TEST(MacPartitionLookup, FallsBackToTheDiskIdentifierAndS1) {
  const MacDiskTools mac;
  const auto noPartitions = [](QVariantMap& disk) { disk.remove("Partitions"); };
  const auto emptyPartitions = [](QVariantMap& disk) { disk["Partitions"] = QVariantList(); };
  const auto firstWithoutId = [](QVariantMap& disk) {
    QVariantList partitions = disk["Partitions"].toList();
    QVariantMap first = partitions[0].toMap();
    first.remove("DeviceIdentifier");
    partitions[0] = first;
    disk["Partitions"] = partitions;
  };
  const auto notDictionaries = [](QVariantMap& disk) {
    disk["Partitions"] = QVariantList{QStringLiteral("disk4s1")};
  };
  for (const auto& edit : {std::function<void(QVariantMap&)>(noPartitions),
                           {emptyPartitions},
                           {firstWithoutId},
                           {notDictionaries}}) {
    EXPECT_EQ(mac.parseFirstPartition(listWithDisk(edit), "disk7"), "disk7s1");
  }
}

TEST(MacPartitionLookup, NoIdentifierAtAllIsCode2) {
  const MacDiskTools mac;
  QVariantMap list = savedList();
  list["AllDisksAndPartitions"] = QVariantList();
  expectNoIdentifierError(
      errorOf([&] { mac.parseFirstPartition(writeXmlPropertyList(list), "disk4"); }));
  const QString neither = listWithDisk([](QVariantMap& disk) {
    disk.remove("Partitions");
    disk["DeviceIdentifier"] = 4;  // not a string: absent
  });
  expectNoIdentifierError(errorOf([&] { mac.parseFirstPartition(neither, "disk4"); }));
  const QString array =
      "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>disk4</string></array></plist>";
  expectNoIdentifierError(errorOf([&] { mac.parseFirstPartition(array, "disk4"); }));
}

TEST(MacPartitionLookup, TextThatIsNotAPropertyListIsTheReadersError) {
  const Error error = errorOf(
      [] { MacDiskTools().parseFirstPartition("Could not find disk: /dev/disk9", "disk9"); });
  EXPECT_EQ(error.domain(), ErrorDomain::propertyList);
}

TEST(LinuxPartitionLookup, FirstPartitionOrTheKernelsNameForPartitionOne) {
  const LinuxDiskTools linux("/usr/bin/lsblk");
  EXPECT_EQ(linux.partitionListCommand("sdb"),
            QStringList({"/usr/bin/lsblk", "--json", "--output", "NAME,TYPE", "/dev/sdb"}));
  EXPECT_EQ(linux.parseFirstPartition(
                R"({"blockdevices":[{"name":"sdb","type":"disk","children":[
                   {"name":"sdb2","type":"part"},{"name":"sdb1","type":"part"}]}]})",
                "sdb"),
            "sdb2");
  // A mapping built directly on the disk is no partition.
  EXPECT_EQ(linux.parseFirstPartition(
                R"({"blockdevices":[{"name":"sdb","type":"disk","children":[
                   {"name":"luks-1","type":"crypt"}]}]})",
                "sdb"),
            "sdb1");
  EXPECT_EQ(linux.parseFirstPartition(R"({"blockdevices":[{"name":"mmcblk0","type":"disk"}]})",
                                      "mmcblk0"),
            "mmcblk0p1");
  EXPECT_EQ(linux.parseFirstPartition(
                R"({"blockdevices":[{"name":"nvme0n1","type":"disk","children":[]}]})", "nvme0n1"),
            "nvme0n1p1");
}

TEST(LinuxPartitionLookup, NoDiskIsCode2AndNonJsonIsTheReadersError) {
  const LinuxDiskTools linux;
  expectNoIdentifierError(
      errorOf([&] { linux.parseFirstPartition(R"({"blockdevices":[]})", "sdb"); }));
  expectNoIdentifierError(
      errorOf([&] { linux.parseFirstPartition(R"({"blockdevices":[{"type":"disk"}]})", "sdb"); }));
  const Error error =
      errorOf([&] { linux.parseFirstPartition("lsblk: /dev/sdz: not a block device", "sdz"); });
  EXPECT_EQ(error.domain(), ErrorDomain::json);
}

TEST(PartitionLookupThroughTheTool, BothPlatformsRunTheirToolAndReadIt) {
  DiskManager mac(std::make_unique<MacDiskTools>(kFixtures + "diskutil"));
  EXPECT_EQ(test::awaitTask(mac.findPartition("disk4")), "disk4s1");
  EXPECT_THROW(test::awaitTask(mac.findPartition("disk9")), Error);

  DiskManager linux(std::make_unique<LinuxDiskTools>(kFixtures + "lsblk"));
  EXPECT_EQ(test::awaitTask(linux.findPartition("mmcblk0")), "mmcblk0p1");
  EXPECT_THROW(test::awaitTask(linux.findPartition("sdz")), Error);

  DiskManager missingTool(std::make_unique<LinuxDiskTools>(kFixtures + "no-such-lsblk"));
  EXPECT_THROW(test::awaitTask(missingTool.findPartition("sdb")), Error);
}

}  // namespace
