#include <gtest/gtest.h>

#include "drives/MacDiskTools.h"
#include "drives/PropertyList.h"
#include "exec/Error.h"

using tessaro::Drive;
using tessaro::MacDiskTools;
using tessaro::writeXmlPropertyList;

namespace {

std::optional<Drive> driveFrom(const QVariantMap& info, const QString& bsdName = "disk4") {
  return MacDiskTools().parseDriveInfo(writeXmlPropertyList(info), bsdName);
}

bool listed(const QVariantMap& info) { return driveFrom(info).has_value(); }

}  // namespace

TEST(MacDiscovery, Invocations) {
  const MacDiskTools tools;
  EXPECT_EQ(tools.listCommand(), (QStringList{"/usr/sbin/diskutil", "list", "-plist"}));
  EXPECT_EQ(tools.infoCommand("disk4"),
            (QStringList{"/usr/sbin/diskutil", "info", "-plist", "/dev/disk4"}));
  EXPECT_TRUE(tools.isSkipped("disk0"));
  for (const char* other : {"disk01", "disk0s1", "Disk0", "disk1", ""})
    EXPECT_FALSE(tools.isSkipped(other)) << other;
}

TEST(MacDiscovery, ExternalOrRemovableRule) {
  EXPECT_TRUE(listed({{"BusProtocol", "USB"}, {"Internal", true}}));
  EXPECT_TRUE(listed({{"BusProtocol", "Thunderbolt"}}));
  EXPECT_TRUE(listed({{"BusProtocol", "SD"}, {"Internal", true}}));
  EXPECT_TRUE(listed({{"BusProtocol", "FireWire"}}));
  for (const bool internal : {true, false})
    EXPECT_FALSE(listed({{"BusProtocol", "SATA"},
                         {"Removable", false},
                         {"Ejectable", false},
                         {"Internal", internal}}));
  EXPECT_TRUE(listed({}));
  EXPECT_FALSE(listed({{"Internal", true}}));
  EXPECT_TRUE(listed({{"Ejectable", true}}));
  EXPECT_TRUE(listed({{"Removable", true}, {"BusProtocol", "SATA"}, {"Internal", true}}));
  // Equality, not a prefix or substring match.
  EXPECT_FALSE(listed({{"BusProtocol", "USB3"}, {"Internal", true}}));
  EXPECT_FALSE(listed({{"BusProtocol", "Secure Digital"}, {"Internal", true}}));
  // Values of another type count as absent.
  EXPECT_FALSE(listed({{"Ejectable", "Yes"}, {"Internal", true}}));
  EXPECT_TRUE(listed({{"BusProtocol", 7}, {"Internal", "Yes"}}));
}

TEST(MacDiscovery, DriveFieldsAndModelFallback) {
  const auto stick = driveFrom({{"BusProtocol", "USB"},
                                {"DeviceModel", "Ultra"},
                                {"MediaName", "SanDisk Ultra Media"},
                                {"TotalSize", qint64(32'000'000'000)}});
  ASSERT_TRUE(stick);
  EXPECT_EQ(stick->description, "32 GB Ultra (disk4)");
  EXPECT_EQ(stick->model, "Ultra");
  EXPECT_EQ(stick->bsdName, "disk4");
  EXPECT_EQ(stick->devicePath, "/dev/disk4");
  EXPECT_EQ(stick->size, 32'000'000'000);
  EXPECT_FALSE(stick->isSystem);
  EXPECT_FALSE(stick->id.isNull());

  EXPECT_EQ(driveFrom({{"MediaName", "SD32G"}, {"TotalSize", qint64(1'500'000'000)}})->description,
            "1.5 GB SD32G (disk4)");
  const auto emptyModel = driveFrom({{"DeviceModel", ""}, {"MediaName", "Media"}});
  EXPECT_EQ(emptyModel->model, "");
  EXPECT_EQ(emptyModel->description, "Zero KB (disk4)");
  EXPECT_EQ(driveFrom({{"DeviceModel", " Padded "}})->model, " Padded ");
  EXPECT_EQ(driveFrom({{"TotalSize", "32000000000"}})->size, 0);

  // Two readings of the same disk are two records.
  EXPECT_NE(driveFrom({})->id, driveFrom({})->id);
}

TEST(MacDiscovery, ListAndInfoTextsThatAreNoDictionary) {
  const MacDiskTools tools;
  EXPECT_THROW(tools.parseDiskList("Could not find disk: /dev/disk9"), tessaro::Error);
  EXPECT_THROW(tools.parseDriveInfo("Could not find disk: /dev/disk9", "disk9"), tessaro::Error);
  EXPECT_FALSE(
      tools.parseDriveInfo(writeXmlPropertyList({}).replace("<dict/>", "<array/>"), "disk4"));
  const QVariantMap mixed{
      {"AllDisksAndPartitions",
       QVariantList{QVariantMap{{"DeviceIdentifier", "disk2"}}, QVariantMap{{"Size", 1}},
                    QVariantMap{{"DeviceIdentifier", 3}},
                    QVariantMap{{"DeviceIdentifier", "disk2"}}}}};
  EXPECT_EQ(tools.parseDiskList(writeXmlPropertyList(mixed)), (QStringList{"disk2", "disk2"}));
  const QVariantMap notAllDictionaries{
      {"AllDisksAndPartitions", QVariantList{QVariantMap{{"DeviceIdentifier", "disk2"}}, "disk3"}}};
  EXPECT_TRUE(tools.parseDiskList(writeXmlPropertyList(notAllDictionaries)).isEmpty());
  EXPECT_TRUE(tools.parseDiskList(writeXmlPropertyList({{"AllDisks", QVariantList{}}})).isEmpty());
}
