// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What the root helper reads of a disk from the kernel itself: the mount
// table and sysfs trees, hostile or lying ones among them, as data files.

#include <gtest/gtest.h>
#include <sys/sysmacros.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "drives/linux/LinuxBlockDevices.h"
#include "helper/MountInfo.h"
#include "helper/SysfsBlockTree.h"

using namespace tessaro;
using namespace tessaro::helper;

namespace {

QList<QByteArray> dataLines(const QString& name) {
  QFile file(QStringLiteral(TESSARO_FIXTURES_DIR "/") + name);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
  QList<QByteArray> lines;
  for (const QByteArray& line : file.readAll().split('\n'))
    if (!line.isEmpty() && !line.startsWith('#')) lines << line;
  return lines;
}

QByteArray decodeHex(const QByteArray& text) {
  QByteArray bytes;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text.mid(i, 2) == "\\x" && i + 3 < text.size()) {
      bytes += char(text.mid(i + 2, 2).toInt(nullptr, 16));
      i += 3;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

bool writeFile(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

}  // namespace

// Each row: a table and where the partition 259:0 is mounted by it, or that
// the table is refused as a whole.
TEST(SysfsBlockTreeTest, HostileMountTablesAreDecodedOrRefused) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("mountinfo"));
  const QByteArray longName(100000, 'a');
  int rows = 0;
  for (const QByteArray& line : dataLines(QStringLiteral("MountInfo/hostile.rows"))) {
    const QList<QByteArray> fields = line.split('\t');
    ASSERT_EQ(fields.size(), 3) << line.toStdString();
    SCOPED_TRACE(line.left(300).toStdString() + "\n  because " + fields[2].toStdString());
    ASSERT_TRUE(writeFile(path, QByteArray(fields[1]).replace("\\n", "\n").replace("{long}", longName)));
    const std::optional<MountInfo> table = MountInfo::readFile(path);
    if (fields[0] == "unreadable") {
      EXPECT_FALSE(table.has_value());
    } else {
      ASSERT_TRUE(table.has_value());
      QStringList expected;
      if (fields[0] != "none")
        for (const QByteArray& target : QByteArray(fields[0]).replace("{long}", longName).split('|'))
          expected << QString::fromUtf8(decodeHex(target));
      EXPECT_EQ(
          table->targetsOf(makedev(259, 0), QStringLiteral("/dev/loop0p1")).join('|').toStdString(),
          expected.join('|').toStdString());
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
  for (const QByteArray& line : dataLines(QStringLiteral("SysfsBlockTree/scenes.txt"))) {
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
    QString failure;
    bool read = false;
    for (const QByteArray& line : scene.lines) {
      const qsizetype space = line.indexOf(' ');
      const QByteArray verb = line.left(space), rest = space < 0 ? QByteArray() : line.mid(space + 1);
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
        ASSERT_TRUE(QFile::link(QString::fromUtf8(second).replace(QStringLiteral("{sys}"), at("sys")),
                                at(first)));
      } else if (verb == "mount") {
        mounts += rest + '\n';
      } else if (verb == "swap") {
        swaps += rest + "\tpartition\t1048572\t0\t-2\n";
      } else if (verb == "read") {
        if (!QFileInfo::exists(at("mountinfo"))) ASSERT_TRUE(writeFile(at("mountinfo"), mounts));
        if (!QFileInfo::exists(at("swaps"))) ASSERT_TRUE(writeFile(at("swaps"), swaps));
        SysfsBlockTree::Sources sources;
        sources.sysfsRoot = at("sys");
        sources.mountInfo = at("mountinfo");
        sources.swaps = at("swaps");
        sources.udevData = at("udev");
        record = SysfsBlockTree::read(QString::fromUtf8(rest), sources, &failure);
        read = true;
      } else if (verb == "fails") {
        EXPECT_FALSE(record.has_value());
        EXPECT_TRUE(failure.contains(QString::fromUtf8(rest))) << failure.toStdString();
      } else if (verb == "system") {
        ASSERT_TRUE(record.has_value()) << failure.toStdString();
        EXPECT_EQ(holdsRunningSystem(*record), rest == "yes");
      } else if (verb == "expect") {
        ASSERT_TRUE(record.has_value()) << failure.toStdString();
        const qsizetype valueAt = second.indexOf(' ');
        const QByteArray field = valueAt < 0 ? second : second.left(valueAt);
        const QString value = valueAt < 0 ? QString() : QString::fromUtf8(second.mid(valueAt + 1));
        const LsblkDevice* device = record->find(QString::fromUtf8(first));
        ASSERT_NE(device, nullptr) << first.toStdString();
        const auto flag = [](bool set) { return set ? QStringLiteral("1") : QStringLiteral("0"); };
        const QMap<QByteArray, std::function<QString()>> fields{
            {"path", [&] { return device->path; }},
            {"type", [&] { return device->type; }},
            {"size", [&] { return QString::number(device->size); }},
            {"rm", [&] { return flag(device->removable); }},
            {"hotplug", [&] { return flag(device->hotplug); }},
            {"ro", [&] { return flag(device->readOnly); }},
            {"tran", [&] { return device->transport; }},
            {"subsystems", [&] { return device->subsystems; }},
            {"vendor", [&] { return device->vendor; }},
            {"model", [&] { return device->model; }},
            {"serial", [&] { return device->serial; }},
            {"wwn", [&] { return device->wwn; }},
            {"parent", [&] { return device->parentName; }},
            {"fstype", [&] { return device->fstype; }},
            {"fsver", [&] { return device->fsver; }},
            {"label", [&] { return device->label; }},
            {"mountpoints", [&] { return device->mountpoints.join(QLatin1Char('|')); }},
            {"logsec",
             [&] {
               return device->logicalSectorSize ? QString::number(*device->logicalSectorSize)
                                                : QStringLiteral("none");
             }},
            {"children",
             [&] {
               QStringList names;
               for (const LsblkDevice& child : device->children) names << child.name;
               return names.join(QLatin1Char(','));
             }},
        };
        ASSERT_TRUE(fields.contains(field)) << field.toStdString();
        EXPECT_EQ(fields[field]().toStdString(), value.toStdString()) << first.toStdString() << " " << field.toStdString();
      } else {
        FAIL() << "unknown line: " << line.toStdString();
      }
    }
    EXPECT_TRUE(read);
  }
}
