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

#include "drives/linux/DeviceNumber.h"
#include "drives/linux/LinuxDiskRules.h"
#include "drives/linux/MountInfo.h"
#include "drives/linux/SysfsBlockTree.h"

using namespace tessaro;

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
          expected += (expected.isEmpty() ? "" : "|") + decodeHex(target);
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
        const auto flag = [](bool set) { return std::string(set ? "1" : "0"); };
        const auto joined = [](const std::vector<std::string>& texts, const char* separator) {
          std::string all;
          for (const std::string& text : texts) all += (all.empty() ? "" : separator) + text;
          return all;
        };
        const QMap<QByteArray, std::function<std::string()>> fields{
            {"path", [&] { return device->path; }},
            {"type", [&] { return device->type; }},
            {"size", [&] { return std::to_string(device->size); }},
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
            {"mountpoints", [&] { return joined(device->mountpoints, "|"); }},
            {"logsec",
             [&] {
               return device->logicalSectorSize ? std::to_string(*device->logicalSectorSize)
                                                : std::string("none");
             }},
            {"children",
             [&] {
               std::vector<std::string> names;
               for (const LsblkDevice& child : device->children) names.push_back(child.name);
               return joined(names, ",");
             }},
        };
        ASSERT_TRUE(fields.contains(field)) << field.toStdString();
        EXPECT_EQ(fields[field](), value) << first.toStdString() << " " << field.toStdString();
      } else {
        FAIL() << "unknown line: " << line.toStdString();
      }
    }
    EXPECT_TRUE(read);
  }
}
