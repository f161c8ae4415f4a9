// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QSet>

#include "DataRows.h"
#include "drives/linux/LinuxBlockDevices.h"
#include "exec/Error.h"

using namespace tessaro;

namespace {

LsblkDevice device(const QByteArray& json) {
  return LsblkDevice::fromJson(QJsonDocument::fromJson(json).object());
}

// A laptop's card reader with an SD card and an eMMC, its NVMe disk, and an
// NVMe disk behind a Thunderbolt port (a PCI bridge marked removable).
const QString sysfs = TESSARO_FIXTURES_DIR "/sysfs";

}  // namespace

// The rules as a table of records and names (LinuxBlockDevices/rules.rows).
TEST(LinuxBlockDevices, SystemVirtualPartitionAndBusRules) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/LinuxBlockDevices/rules.rows");
  ASSERT_GT(rows.size(), 20);
  for (const test::DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 3) << row.where.toStdString();
    const QByteArray& kind = row.fields[0];
    const QByteArray& input = row.fields[1];
    const QString expected = QString::fromUtf8(test::unescaped(row.fields[2]));
    const bool yes = expected == "yes";
    SCOPED_TRACE(row.where.toStdString());
    if (kind == "system") {
      EXPECT_EQ(holdsRunningSystem(device(input)), yes);
    } else if (kind == "virtual") {
      for (const QByteArray& name : test::wordsOf(input))
        EXPECT_EQ(isVirtualDeviceName(QString::fromUtf8(name)), yes) << name.toStdString();
    } else if (kind == "partition") {
      const QStringList names = test::textsOf(input.split(' '));
      EXPECT_EQ(isSameOrPartitionOf(names.value(0), names.value(1)), yes);
    } else {
      ASSERT_EQ(kind, "bus");
      EXPECT_EQ(linuxBus(device(input), sysfs), expected);
    }
  }

  const DiskPlacement sd = linuxPlacement(device(R"({"name":"mmcblk0","rm":false})"), sysfs);
  EXPECT_TRUE(sd.removable && sd.ejectable && !sd.internal);
  const DiskPlacement emmc = linuxPlacement(device(R"({"name":"mmcblk1","rm":false})"), sysfs);
  EXPECT_TRUE(emmc.internal && !emmc.removable && !emmc.ejectable);
}

// A system mount deep in the tree must not be cut off: a tree deeper than any
// stack of devices is refused as a whole.
TEST(LinuxBlockDevices, ATreeTooDeepToBeLsblksIsRefusedNotReadInPart) {
  auto nested = [](int depth) {
    QString json = R"({"name":"root","mountpoints":["/"]})";
    for (int i = 0; i < depth; ++i) json = R"({"name":"d","children":[)" + json + "]}";
    return R"({"blockdevices":[)" + json + "]}";
  };
  const QList<LsblkDevice> shallow = LsblkDevice::parseList(nested(8));
  ASSERT_EQ(shallow.size(), 1);
  EXPECT_TRUE(holdsRunningSystem(shallow.first()));
  EXPECT_THROW(LsblkDevice::parseList(nested(200)), Error);
}

// Every device lsblk reports on three machines, with its id and why it is
// not offered, as `tessaro-cli list --all` shows them (list-all.txt beside
// the machine's list.json): a laptop; a desktop with a built-in four-slot
// card reader, a locked SD card and a DVD drive; an NVMe system with LUKS and
// LVM, snap and image loop devices and a Thunderbolt enclosure. Only whole
// removable or external disks are offered, and what identifies them is the
// same in every run.
TEST(LinuxBlockDevices, EveryDeviceOfAMachineIsOfferedOrSaysWhyNot) {
  for (const QString machine : {"laptop", "desktop", "nvme-lvm"}) {
    SCOPED_TRACE(machine.toStdString());
    const QString dir = TESSARO_FIXTURES_DIR "/lsblk/" + machine;
    QFile list(dir + "/list.json"), expected(dir + "/list-all.txt");
    ASSERT_TRUE(list.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
    const QList<LsblkDevice> tree = LsblkDevice::parseList(QString::fromUtf8(list.readAll()));
    const QList<BlockDevice> devices = linuxBlockDevices(tree, sysfs, dir + "/by-id");
    EXPECT_EQ(devices, linuxBlockDevices(tree, sysfs, dir + "/by-id"));

    QString shown;
    QSet<QString> ids;
    for (const BlockDevice& device : devices) {
      shown += device.name + '\t' + (device.id.isEmpty() ? "-" : device.id) + '\t' +
               (device.reason ? device.reason->phrase() : "offered") + '\n';
      if (!device.id.isEmpty()) EXPECT_FALSE(ids.contains(device.id)) << device.id.toStdString();
      ids.insert(device.id);
      if (device.offered()) {
        const LsblkDevice* disk = nullptr;
        for (const LsblkDevice& top : tree)
          if (top.name == device.name) disk = &top;
        ASSERT_TRUE(disk) << device.name.toStdString();
        EXPECT_EQ(device.type, "disk");
        EXPECT_TRUE(isExternalOrRemovable(linuxPlacement(*disk, sysfs)));
      }
    }
    EXPECT_EQ(shown.toStdString(), expected.readAll().toStdString());
  }
}
