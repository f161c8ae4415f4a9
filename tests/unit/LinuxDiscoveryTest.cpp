// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Linux: what lsblk, the kernel's sysfs and mount tables and the helper tell
// of a machine's disks, hostile or lying ones among them, as data files.

#include <gtest/gtest.h>
#include <sys/sysmacros.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <map>
#include <set>

#include "DataRows.h"
#include "drives/DriveFactsJson.h"
#include "drives/linux/DeviceNumber.h"
#include "drives/linux/LinuxBlockDevices.h"
#include "drives/linux/LinuxDiskRules.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/linux/LsblkJson.h"
#include "drives/linux/MountInfo.h"
#include "drives/linux/SysfsBlockTree.h"
#include "exec/Error.h"
#include "helper/info/LinuxDriveFacts.h"
#include "jobs/InfoReport.h"

using namespace tessaro;
using test::readDataLines;

namespace {

// A laptop's card reader with an SD card and an eMMC, its NVMe disk, and an
// NVMe disk behind a Thunderbolt port (a PCI bridge marked removable).
const QString sysfs = TESSARO_FIXTURES_DIR "/sysfs";

bool writeFile(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// A USB stick and its FAT32 partition as the helper reads them.
DriveFacts usbStickFacts() {
  // As util-linux 2.38 prints it.
  QFile json(TESSARO_FIXTURES_DIR "/InfoReport/usb-stick-lsblk.json");
  EXPECT_TRUE(json.open(QIODevice::ReadOnly));
  const LsblkDevice disk = LsblkJson::fromJson(QJsonDocument::fromJson(json.readAll()).object());
  const auto blkid = parseBlkidExport(
      "DEVNAME=/dev/sdb1\nLABEL_FATBOOT=MY\\ USB\nLABEL=MY\\ USB\nUUID=F9A0-E62E\n"
      "VERSION=FAT32\nBLOCK_SIZE=512\nTYPE=vfat\nUSAGE=filesystem\n");
  std::string bootSector(512, '\0');  // 512 bytes per sector, 64 sectors per cluster
  bootSector[12] = 2;
  bootSector[13] = 64;
  bootSector[510] = char(0x55);
  bootSector[511] = char(0xAA);
  DriveFacts facts;
  facts.disk = linuxDiskFacts(disk, "/nonexistent-sysfs");
  EXPECT_FALSE(disk.children.empty());
  if (!disk.children.empty())
    facts.partition = linuxPartitionFacts(disk.children.front(), blkid, bootSector);
  return facts;
}

// The facts as the application reads them from a line where the helper's
// result event goes; raises Error as it does.
DriveFacts readFrom(const std::string& line) {
  const LinuxDiskTools tools("/usr/bin/lsblk", "/sys", "/opt/tessaro-helper");
  return tools.parseDriveFacts({}, contract::HelperEvent::fromLine(line)).value();
}

DriveFacts toldAndRead(const DriveFacts& facts) {
  return readFrom(DriveFactsJson::event(facts).line());
}

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
    const std::string byId = (dir + "/by-id").toStdString();
    const std::vector<BlockDevice> devices = linuxBlockDevices(tree, sysfs.toStdString(), byId);
    EXPECT_EQ(devices, linuxBlockDevices(tree, sysfs.toStdString(), byId));

    std::string shown;
    std::set<std::string> ids;
    for (const BlockDevice& device : devices) {
      shown += device.name + '\t' + (device.id.empty() ? "-" : device.id) + '\t' +
               (device.reason ? device.reason->phrase() : "offered") + '\n';
      if (!device.id.empty()) EXPECT_TRUE(ids.insert(device.id).second) << device.id;
    }
    EXPECT_EQ(shown, expected.readAll().toStdString());
  }
}

// Each row: a table and where the partition 259:0 is mounted by it, or that
// the table is refused as a whole.
TEST(SysfsBlockTreeTest, HostileMountTablesAreDecodedOrRefused) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("mountinfo"));
  const QByteArray longName(100000, 'a');
  int rows = 0;
  for (const QByteArray& line : readDataLines(TESSARO_FIXTURES_DIR "/MountInfo/hostile.rows")) {
    const QList<QByteArray> fields = line.split('\t');
    ASSERT_EQ(fields.size(), 3) << line.toStdString();
    SCOPED_TRACE(line.left(300).toStdString() + "\n  because " + fields[2].toStdString());
    ASSERT_TRUE(
        writeFile(path, QByteArray(fields[1]).replace("\\n", "\n").replace("{long}", longName)));
    const std::optional<MountInfo> table = MountInfo::readFile(path.toStdString());
    if (fields[0] == "unreadable") {
      EXPECT_FALSE(table.has_value());
    } else {
      ASSERT_TRUE(table.has_value());
      QByteArray expected, found;
      if (fields[0] != "none")
        for (const QByteArray& target :
             QByteArray(fields[0]).replace("{long}", longName).split('|'))
          expected += (expected.isEmpty() ? "" : "|") + test::unescaped(target);
      for (const std::string& target : table->targetsOf(makedev(259, 0), "/dev/loop0p1"))
        found += (found.isEmpty() ? "" : "|") + QByteArray::fromStdString(target);
      EXPECT_EQ(found.toStdString(), expected.toStdString());
    }
    ++rows;
  }
  EXPECT_GT(rows, 10);
}

// Each scene builds a sysfs tree (with a mount table, swaps and udev's
// records) and says what the record of its disk holds, or why none is made.
TEST(SysfsBlockTreeTest, SysfsTreesAreReadAsLsblkReadsThemAndLiesRefused) {
  struct Scene {
    QString title, because;
    QList<QByteArray> lines;
  };
  QList<Scene> scenes;
  for (const QByteArray& line : readDataLines(TESSARO_FIXTURES_DIR "/SysfsBlockTree/scenes.txt")) {
    if (line.startsWith("scene ")) {
      scenes.append({QString::fromUtf8(line.mid(6)), {}, {}});
    } else if (!scenes.isEmpty() && line.startsWith("because ")) {
      scenes.last().because = QString::fromUtf8(line.mid(8));
    } else {
      ASSERT_FALSE(scenes.isEmpty()) << line.toStdString();
      scenes.last().lines << line;
    }
  }
  ASSERT_GT(scenes.size(), 5);

  for (const Scene& scene : scenes) {
    SCOPED_TRACE((scene.title + QStringLiteral("\n  because ") + scene.because).toStdString());
    QTemporaryDir dir;
    const QString root = dir.path();
    const auto at = [&](const QByteArray& relative) {
      return root + QLatin1Char('/') + QString::fromUtf8(relative);
    };
    QByteArray mounts = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
    QByteArray swaps = "Filename\tType\tSize\tUsed\tPriority\n";
    std::optional<LsblkDevice> record;
    std::string failure;
    bool read = false;
    for (const QByteArray& line : scene.lines) {
      const qsizetype space = line.indexOf(' ');
      const QByteArray verb = line.left(space),
                       rest = space < 0 ? QByteArray() : line.mid(space + 1);
      const qsizetype split = rest.indexOf(' ');
      const QByteArray first = split < 0 ? rest : rest.left(split);
      const QByteArray second = split < 0 ? QByteArray() : rest.mid(split + 1);
      if (verb == "file") {
        if (first.endsWith('/'))
          ASSERT_TRUE(QDir().mkpath(at(first)));
        else
          ASSERT_TRUE(writeFile(at(first), QByteArray(second).replace("\\n", "\n") + '\n'));
      } else if (verb == "link") {
        QDir().mkpath(QFileInfo(at(first)).path());
        ASSERT_TRUE(QFile::link(
            QString::fromUtf8(second).replace(QStringLiteral("{sys}"), at("sys")), at(first)));
      } else if (verb == "mount") {
        mounts += rest + '\n';
      } else if (verb == "swap") {
        swaps += rest + "\tpartition\t1048572\t0\t-2\n";
      } else if (verb == "read") {
        if (!QFileInfo::exists(at("mountinfo"))) ASSERT_TRUE(writeFile(at("mountinfo"), mounts));
        if (!QFileInfo::exists(at("swaps"))) ASSERT_TRUE(writeFile(at("swaps"), swaps));
        SysfsBlockTree::Sources sources;
        sources.sysfsRoot = at("sys").toStdString();
        sources.mountInfo = at("mountinfo").toStdString();
        sources.swaps = at("swaps").toStdString();
        // udev's record of a device, as the scene gives it (udev/bMAJ:MIN,
        // "E:KEY=VALUE" lines), where libudev would read it.
        sources.udev = [&](dev_t number, std::string*) {
          SysfsBlockTree::UdevProperties properties;
          QFile file(at("udev/b" + QByteArray::fromStdString(deviceNumberText(number))));
          if (!file.open(QIODevice::ReadOnly)) return std::optional(properties);
          for (const QByteArray& entry : file.readAll().split('\n')) {
            const qsizetype equals = entry.indexOf('=');
            if (entry.startsWith("E:") && equals > 0)
              properties[entry.mid(2, equals - 2).toStdString()] =
                  entry.mid(equals + 1).toStdString();
          }
          return std::optional(properties);
        };
        record = SysfsBlockTree::read(rest.toStdString(), sources, &failure);
        read = true;
      } else if (verb == "fails") {
        EXPECT_FALSE(record.has_value());
        EXPECT_NE(failure.find(rest.toStdString()), std::string::npos) << failure;
      } else if (verb == "system") {
        ASSERT_TRUE(record.has_value()) << failure;
        EXPECT_EQ(holdsRunningSystem(*record), rest == "yes");
      } else if (verb == "expect") {
        ASSERT_TRUE(record.has_value()) << failure;
        const qsizetype valueAt = second.indexOf(' ');
        const QByteArray field = valueAt < 0 ? second : second.left(valueAt);
        const std::string value =
            valueAt < 0 ? std::string() : second.mid(valueAt + 1).toStdString();
        const LsblkDevice* device = record->find(first.toStdString());
        ASSERT_NE(device, nullptr) << first.toStdString();
        std::string mountpoints, children;
        for (const std::string& mountpoint : device->mountpoints)
          mountpoints += (mountpoints.empty() ? "" : "|") + mountpoint;
        for (const LsblkDevice& child : device->children)
          children += (children.empty() ? "" : ",") + child.name;
        const std::optional<int> logsec = device->logicalSectorSize;
        const std::map<QByteArray, std::string> fields{
            {"path", device->path},
            {"type", device->type},
            {"size", std::to_string(device->size)},
            {"rm", std::to_string(device->removable)},
            {"hotplug", std::to_string(device->hotplug)},
            {"ro", std::to_string(device->readOnly)},
            {"tran", device->transport},
            {"subsystems", device->subsystems},
            {"vendor", device->vendor},
            {"model", device->model},
            {"serial", device->serial},
            {"wwn", device->wwn},
            {"parent", device->parentName},
            {"fstype", device->fstype},
            {"fsver", device->fsver},
            {"label", device->label},
            {"mountpoints", mountpoints},
            {"children", children},
            {"logsec", logsec ? std::to_string(*logsec) : "none"}};
        ASSERT_TRUE(fields.contains(field)) << field.toStdString();
        EXPECT_EQ(fields.at(field), value) << first.toStdString() << " " << field.toStdString();
      } else {
        FAIL() << "unknown line: " << line.toStdString();
      }
    }
    EXPECT_TRUE(read);
  }
}

TEST(LinuxDriveFacts, UsbStickAndItsFat32PartitionReadLikeDiskutilsOwnAfterTheHelpersEvent) {
  const DriveFacts facts = usbStickFacts();
  const DriveFacts readBack = toldAndRead(facts);
  EXPECT_EQ(readBack, facts);
  // What diskutil's own report says of such a stick (usb-stick-report.txt).
  QFile expected(TESSARO_FIXTURES_DIR "/InfoReport/usb-stick-report.txt");
  ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
  EXPECT_EQ((infoReportLines(readBack).join('\n') + '\n').toStdString(),
            expected.readAll().toStdString());
  // Without a partition, and with nothing known, it reads back as written.
  for (const DriveFacts& told : {DriveFacts{}, DriveFacts{{facts.disk, std::nullopt}}})
    EXPECT_EQ(toldAndRead(told), told);
}

// The application reads what the root helper told: anything but the info
// verb's own result event is refused as a whole, never shown in part.
TEST(LinuxDriveFacts, LinesThatAreNotTheHelpersResultAreRefused) {
  const QByteArrayList lines =
      readDataLines(TESSARO_FIXTURES_DIR "/HelperEvents/hostile-info-lines.txt");
  EXPECT_GT(lines.size(), 20);
  for (const QByteArray& bytes : lines) {
    const QString line = QString::fromUtf8(bytes);
    try {
      readFrom(line.toStdString());
      ADD_FAILURE() << "read: " << line.toStdString();
    } catch (const Error& error) {
      EXPECT_EQ(error.domain(), ErrorDomain::json);
      EXPECT_TRUE(error.description().startsWith("the drive's facts could not be read: "))
          << error.description().toStdString();
    }
  }
}

}  // namespace
