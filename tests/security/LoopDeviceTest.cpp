// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Loop devices as a way around the guard: a loop over a disk or partition
// that is in use, a second loop over the image of a mounted one, a loop over
// a file of another user's, a read-only loop, a loop that changes under a
// run; and drives in shapes the guard must let through. The rows are in
// data/loop-devices.rows; the scenes they name are set up here.

#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <functional>
#include <map>
#include <memory>

#include "DataRows.h"
#include "SecurityTest.h"

namespace tessaro::security {
namespace {

// A loop device this test attached over target (an image or a block
// device), detached again while it still serves target.
class ExtraLoop {
 public:
  explicit ExtraLoop(const QString& target) : target_(target) {
    const ToolRun attach = runTool(
        QStringLiteral("losetup"),
        {QStringLiteral("--find"), QStringLiteral("--show"), QStringLiteral("--partscan"), target});
    const QString device = attach.output.trimmed().split(QLatin1Char('\n')).last();
    if (attach.status == 0 && device.startsWith(QLatin1String("/dev/loop"))) {
      name_ = device.mid(5);
      runTool(QStringLiteral("partx"), {QStringLiteral("--update"), device});
    }
  }
  ~ExtraLoop() {
    if (serves()) runTool(QStringLiteral("losetup"), {QStringLiteral("--detach"), path()});
  }
  ExtraLoop(const ExtraLoop&) = delete;
  ExtraLoop& operator=(const ExtraLoop&) = delete;

  bool serves() const {
    QFile backing(QStringLiteral("/sys/block/") + name_ + QStringLiteral("/loop/backing_file"));
    return !name_.isEmpty() && backing.open(QIODevice::ReadOnly) &&
           QString::fromUtf8(backing.readAll()).trimmed() == QFileInfo(target_).canonicalFilePath();
  }
  const QString& name() const { return name_; }
  QString path() const { return QStringLiteral("/dev/") + name_; }

 private:
  QString target_;
  QString name_;
};

// The drives of one scene, the names its rows use, and what keeps it so
// while the rows run.
struct Scene {
  std::vector<std::unique_ptr<LoopDisk>> drives;  // every byte of each must stay
  std::vector<std::unique_ptr<ExtraLoop>> loops;
  std::unique_ptr<Mount> mount;
  std::map<QByteArray, QString> names;
  QString failure;  // why it could not be set up
  // Done while the run stands frozen at its first writing step; nothing is
  // written after that step.
  std::function<void(Scene&)> interlude;
  // What the run reads on standard input before it ends; none: nothing, and
  // it stays open.
  std::optional<QByteArray> input;

  LoopDisk& addDrive(const LoopDisk::Options& options = {}) {
    drives.push_back(std::make_unique<LoopDisk>(options));
    LoopDisk& drive = *drives.back();
    if (!drive.ready()) failure = QStringLiteral("no loop drive");
    names["disk"] = drive.name();
    names["part"] = drive.partitionName();
    return drive;
  }
  void mountExt4(const LoopDisk& drive) {
    if (!makeExt4(drive.partitionPath())) failure = QStringLiteral("mkfs.ext4 failed");
    mount = std::make_unique<Mount>(drive.partitionPath(), QStringLiteral("ext4"));
    if (!mount->mounted()) failure = QStringLiteral("ext4 could not be mounted");
  }
  // A drive holding one FAT file system on the whole disk, without a table.
  void addWholeDiskFat(const QString& fatBits) {
    const LoopDisk& disk = addDrive({.blank = true});
    if (runTool(QStringLiteral("mkfs.fat"), {QStringLiteral("-F"), fatBits, QStringLiteral("-n"),
                                             QStringLiteral("CAMERA"), disk.devicePath()})
            .status != 0)
      failure = QStringLiteral("mkfs.fat failed");
  }
  void addLoopOver(const QString& target) {
    loops.push_back(std::make_unique<ExtraLoop>(target));
    if (!loops.back()->serves()) failure = QStringLiteral("no loop over ") + target;
    names["loop"] = loops.back()->name();
    names["looppart"] = loops.back()->name() + QStringLiteral("p1");
  }
};

// Moves where a loop device starts in its file, as LOOP_SET_STATUS64 lets its
// owner do at any time.
bool moveLoopOffset(const QString& device, quint64 offset) {
  const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  loop_info64 info{};
  const bool moved = ::ioctl(fd, LOOP_GET_STATUS64, &info) == 0 &&
                     (info.lo_offset = offset, ::ioctl(fd, LOOP_SET_STATUS64, &info) == 0);
  ::close(fd);
  return moved;
}

const std::map<QByteArray, std::function<void(Scene&)>> scenes{
    {"over-disk-mounted-outside-media",
     [](Scene& scene) {
       LoopDisk& disk = scene.addDrive();
       scene.mountExt4(disk);
       scene.addLoopOver(disk.devicePath());
     }},
    {"second-loop-over-mounted-image",
     [](Scene& scene) {
       LoopDisk& disk = scene.addDrive();
       scene.mountExt4(disk);
       scene.addLoopOver(disk.imagePath());
     }},
    {"over-mounted-partition",
     [](Scene& scene) {
       LoopDisk& disk = scene.addDrive();
       scene.mountExt4(disk);
       scene.addLoopOver(disk.partitionPath());
     }},
    {"disk-under-idle-loop",
     [](Scene& scene) { scene.addLoopOver(scene.addDrive().devicePath()); }},
    {"root-image", [](Scene& scene) { scene.addDrive(); }},
    {"user-image",
     [](Scene& scene) {
       const LoopDisk& disk = scene.addDrive();
       if (::chown(QFile::encodeName(disk.imagePath()).constData(), 65534, 65534) != 0)
         scene.failure = QStringLiteral("chown failed");
     }},
    {"read-only-loop", [](Scene& scene) { scene.addDrive({.readOnly = true}); }},
    {"whole-disk-fat12", [](Scene& scene) { scene.addWholeDiskFat("12"); }},
    {"whole-disk-fat16", [](Scene& scene) { scene.addWholeDiskFat("16"); }},
    {"whole-disk-fat32", [](Scene& scene) { scene.addWholeDiskFat("32"); }},
    {"second-loop-after-guard",
     [](Scene& scene) {
       const LoopDisk& disk = scene.addDrive({.dirty = true});
       scene.interlude = [image = disk.imagePath()](Scene& now) { now.addLoopOver(image); };
     }},
    {"offset-changed-after-guard",
     [](Scene& scene) {
       const LoopDisk& disk = scene.addDrive({.dirty = true});
       scene.interlude = [device = disk.devicePath()](Scene& now) {
         if (!moveLoopOffset(device, 512)) now.failure = QStringLiteral("LOOP_SET_STATUS64 failed");
       };
     }},
    {"flood-then-cancel",
     [](Scene& scene) {
       scene.addDrive();
       scene.input = QByteArray(8 << 20, 'x') + C::cancelRequest + '\n';
     }},
};

struct Row {
  QString where;
  QByteArray scene;
  QByteArrayList environment;
  QByteArrayList args;
  QList<int> allowed;
  QByteArray because;
};

QList<Row> readRows(const QString& path) {
  QList<Row> rows;
  for (const DataRow& data : readDataRows(path)) {
    Row row;
    row.where = data.where;
    if (data.fields.size() == 4) {
      row.scene = data.fields[0];
      for (const QByteArray& word : wordsOf(data.fields[1])) {
        (row.args.isEmpty() && word.contains('=') ? row.environment : row.args) << word;
      }
      for (const QByteArray& status : data.fields[2].split(','))
        row.allowed << status.trimmed().toInt();
      row.because = data.fields[3];
    }
    rows << row;
  }
  return rows;
}

using LoopDevice = SecurityTest;

TEST_F(LoopDevice, NoLoopDeviceCarriesAWritePastTheGuard) {
  const QList<Row> rows = readRows(QStringLiteral(TESSARO_SECURITY_DATA_DIR "/loop-devices.rows"));
  ASSERT_FALSE(rows.isEmpty()) << "no rows read";
  QByteArray sceneName;
  std::unique_ptr<Scene> scene;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.where.toStdString() + ": " + row.args.join(' ').toStdString() +
                 "\n  because " + row.because.toStdString());
    ASSERT_TRUE(scenes.count(row.scene)) << "no scene " << row.scene.toStdString();
    // Rows of one scene share it, unless the scene changes under a run.
    if (row.scene != sceneName || !scene || scene->interlude || scene->input) {
      scene.reset();
      scene = std::make_unique<Scene>();
      scenes.at(row.scene)(*scene);
      sceneName = row.scene;
    }
    ASSERT_TRUE(scene->failure.isEmpty()) << scene->failure.toStdString();
    QByteArrayList args;
    for (QByteArray arg : row.args) {
      for (const auto& [key, name] : scene->names) {
        if (!arg.contains("{" + key + "}")) continue;
        ASSERT_TRUE(QFileInfo::exists(QStringLiteral("/sys/class/block/") + name))
            << "the scene has no " << name.toStdString();
        arg.replace("{" + key + "}", name.toUtf8());
      }
      args << arg;
    }
    std::vector<QString> before;
    for (const auto& drive : scene->drives) before.push_back(drive->hash());
    // PKEXEC_UID only as the row says.
    HelperRun run(args, {.input = scene->input,
                         .environmentChanges = QByteArrayList{"PKEXEC_UID"} + row.environment});
    std::optional<QString> frozenAt;
    if (scene->interlude) {
      frozenAt = run.waitForLine(writesToDisk);
      ASSERT_TRUE(frozenAt) << "the run never wrote: " << describe(run.finish());
      run.freeze();
      scene->interlude(*scene);
      run.thaw();
      ASSERT_TRUE(scene->failure.isEmpty()) << scene->failure.toStdString();
    }
    const HelperRun::Result result = run.finish(120000);
    EXPECT_TRUE(row.allowed.contains(result.status)) << describe(result);
    if (frozenAt) {
      const QStringList writing = writingCommands(result.lines);
      EXPECT_EQ(writing.mid(writing.indexOf(*frozenAt) + 1), QStringList())
          << "it wrote after the loop device changed; " << describe(result);
      continue;  // the step it stood at may have written
    }
    const bool formatted = result.status == C::success && args.value(0) == C::formatVerb;
    if (!formatted)
      EXPECT_EQ(writingCommands(result.lines), QStringList()) << "it wrote or unmounted";
    for (size_t i = 0; i < before.size(); ++i) {
      if (formatted && i == 0) {
        EXPECT_EQ(scene->drives[i]->fatLabel(), QStringLiteral("FAT32 ") + args.value(2))
            << "the format succeeded, yet the drive does not hold it; " << describe(result);
        continue;
      }
      EXPECT_EQ(scene->drives[i]->hash(), before[i]) << "a drive that had to stay was written to";
    }
    if (scene->mount) EXPECT_TRUE(scene->mount->mounted()) << "a mount was taken away";
  }
}

}  // namespace
}  // namespace tessaro::security
