// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QFile>
#include <QSet>

#include "drives/linux/LinuxBlockDevices.h"
#include "drives/linux/LsblkJson.h"
#include "exec/Error.h"

using namespace tessaro;

namespace {

// A laptop's card reader with an SD card and an eMMC, its NVMe disk, and an
// NVMe disk behind a Thunderbolt port (a PCI bridge marked removable).
const QString sysfs = TESSARO_FIXTURES_DIR "/sysfs";

}  // namespace

// A system mount deep in the tree must not be cut off: a tree deeper than any
// stack of devices is refused as a whole.
TEST(LinuxBlockDevices, ATreeTooDeepToBeLsblksIsRefusedNotReadInPart) {
  auto nested = [](int depth) {
    QString json = R"({"name":"root","mountpoints":["/"]})";
    for (int i = 0; i < depth; ++i) json = R"({"name":"d","children":[)" + json + "]}";
    return R"({"blockdevices":[)" + json + "]}";
  };
  const std::vector<LsblkDevice> shallow = LsblkJson::parseList(nested(8));
  ASSERT_EQ(shallow.size(), 1u);
  EXPECT_TRUE(holdsRunningSystem(shallow.front()));
  EXPECT_THROW(LsblkJson::parseList(nested(200)), Error);
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
    const std::vector<LsblkDevice> tree = LsblkJson::parseList(QString::fromUtf8(list.readAll()));
    const QList<BlockDevice> devices = linuxBlockDevices(tree, sysfs, dir + "/by-id");
    EXPECT_EQ(devices, linuxBlockDevices(tree, sysfs, dir + "/by-id"));

    QString shown;
    QSet<QString> ids;
    for (const BlockDevice& device : devices) {
      shown += device.name + '\t' + (device.id.isEmpty() ? "-" : device.id) + '\t' +
               (device.reason ? QString::fromStdString(device.reason->phrase()) : "offered") + '\n';
      if (!device.id.isEmpty()) EXPECT_FALSE(ids.contains(device.id)) << device.id.toStdString();
      ids.insert(device.id);
      if (device.offered()) {
        const LsblkDevice* disk = nullptr;
        for (const LsblkDevice& top : tree)
          if (top.name == device.name.toStdString()) disk = &top;
        ASSERT_TRUE(disk) << device.name.toStdString();
        EXPECT_EQ(device.type, "disk");
        EXPECT_TRUE(isExternalOrRemovable(linuxPlacement(*disk, sysfs.toStdString())));
      }
    }
    EXPECT_EQ(shown.toStdString(), expected.readAll().toStdString());
  }
}
