// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The helper on loop devices in the shapes and states a drive can be in while
// it works: mounted, held, locked, served by a second loop device, swapped for
// another drive, its tools hidden or impersonated, the run cancelled, signalled
// or stopped at one of its steps; and hostile command lines. Each scene is a
// row of data/scenes.rows (its attacks rows of data/argument-attacks.rows);
// this file sets up what a row names, runs it and checks what it says must hold.

#include <fcntl.h>
#include <linux/loop.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <atomic>
#include <iostream>
#include <map>
#include <memory>
#include <thread>

#include "Capability.h"
#include "DataRows.h"
#include "SecurityTest.h"
#include "contract/HelperEvent.h"

namespace tessaro::security {
namespace {

struct SceneRow {
  QString where;
  std::string name;
  QByteArrayList world, command, action, expect;
  QByteArray because;
};

void PrintTo(const SceneRow& row, std::ostream* out) { *out << row.where.toStdString(); }

std::vector<SceneRow> sceneRows() {
  std::vector<SceneRow> rows;
  for (const DataRow& data :
       readDataRows(QStringLiteral(TESSARO_SECURITY_DATA_DIR "/scenes.rows"))) {
    const auto words = [&](int i) {
      return data.fields.value(i) == "-" ? QByteArrayList() : wordsOf(data.fields.value(i));
    };
    rows.push_back({data.where, data.fields.value(0).toStdString(), words(1), words(2), words(3),
                    words(4), data.fields.value(5)});
  }
  return rows;
}

// The attacks of a row's group, each a row of its own: its arguments, refused
// with a status of its kinds, and whatever the row expects besides.
std::vector<SceneRow> attacksOf(const SceneRow& row) {
  const QByteArray group = row.command.value(0).mid(8);
  std::vector<SceneRow> attacks;
  for (const DataRow& data :
       readDataRows(QStringLiteral(TESSARO_SECURITY_DATA_DIR "/argument-attacks.rows"))) {
    if (data.fields.value(0) != group) continue;
    EXPECT_EQ(data.fields.size(), 5) << data.where.toStdString();
    SceneRow attack = row;
    attack.where = data.where + QStringLiteral(": ") + QString::fromUtf8(data.fields.value(1));
    attack.command = wordsOf(data.fields.value(2));
    attack.expect << "refused=" + QByteArray(data.fields.value(3)).replace(' ', "");
    attack.because = data.fields.value(4);
    attacks.push_back(attack);
  }
  EXPECT_FALSE(attacks.empty()) << "no attacks of " << group.toStdString();
  return attacks;
}

// Replaces link with a link to target in one step, as an attacker would.
bool pointLink(const QString& link, const QString& target) {
  const QString fresh = link + QStringLiteral(".new");
  QFile::remove(fresh);
  return QFile::link(target, fresh) && std::rename(QFile::encodeName(fresh).constData(),
                                                   QFile::encodeName(link).constData()) == 0;
}

// The processes whose command line names the disk or its partition, as pgrep lists them.
QString processesFor(const QString& name) {
  return runTool(QStringLiteral("pgrep"),
                 {"-a", "-f", QStringLiteral("(^| )(/dev/)?%1(p1)?( |$)").arg(name)})
      .output;
}

// The drives of a row and everything that uses them while it runs; all of it
// goes away with the object. Words of the world:
//   disk[:dirty,blank,ro,detached,128M,4G]  a LoopDisk: {disk} {part} {image},
//                      the second {disk2} {part2} {image2}, and so on
//   ext4 | media       ext4 on the last disk's partition, mounted outside or under /media
//   open               a file held open on the last mount
//   loop:disk|part|image  a second loop device over the last disk: {loop} {looppart}
//   hold:disk|part | lock  the last disk held with O_EXCL, or its whole disk locked
//   chown              the last disk's image owned by nobody
//   fat:12|16|32       one FAT file system on the whole last (blank) disk
//   btrfs              a btrfs raid1 over the last two disks, mounted from the first
//   damage             a lost cluster chain in the first FAT of the last disk
//   links              {disklink} {partlink} flipping between the first and second disk
//   paths              links to the last disk under /dev/shm: {shm} {shmpart} (in
//                      directories named as commands that make {marker}), {devrel}, {byid}
//   impostors          {impostors}: every tool's name, each leaving a trace when run
//   standin:TOOL:BYTES the tool covered by one that prints BYTES, then runs a copy of it
//   terminal           the run is the foreground job of a pseudo-terminal of its own
//   vda                this machine's system disk, /dev/vda
class Scene {
 public:
  explicit Scene(const QByteArrayList& world);
  ~Scene();

  void addLoopOver(const QString& target);
  std::vector<QString> hashes() const;
  bool impostorRan() const { return !QDir(dir_.filePath("ran")).isEmpty(QDir::Files); }

  QString failure;  // why it could not be made: the row fails
  QString missing;  // what this machine lacks for it: the row is skipped
  std::vector<std::unique_ptr<LoopDisk>> drives;
  std::vector<std::unique_ptr<Mount>> mounts;
  std::map<QByteArray, QString> names;
  bool terminal = false;
  QString hiddenTool, toolStandIn;

 private:
  void addDrive(const QByteArray& how);
  void makeImpostors();
  void makeStandIn(const QByteArray& how);
  void damageFat(const LoopDisk& disk);
  void addPaths(const LoopDisk& disk);

  QTemporaryDir dir_;
  std::optional<QTemporaryDir> shm_;
  std::vector<std::unique_ptr<LoopDisk>> loops_;  // second loop devices over a drive
  std::vector<int> holds_;
  std::atomic<bool> flipping_ = false;
  std::thread flipper_;
  bool btrfs_ = false;
};

Scene::Scene(const QByteArrayList& world) {
  for (const QByteArray& word : world) {
    const QByteArray what = word.split(':').value(0);
    const QByteArray how = word.mid(what.size() + 1);
    if (what == "disk") {
      addDrive(how);
      continue;
    }
    if (what == "terminal" || what == "vda") {
      terminal = what == "terminal";
      if (what == "vda" && !QFile::exists(QStringLiteral("/dev/vda"))) missing = "no /dev/vda here";
      continue;
    }
    if (drives.empty()) {
      failure = "no disk before " + QString::fromUtf8(word);
      return;
    }
    const LoopDisk& last = *drives.back();
    if (what == "ext4" || what == "media") {
      if (!makeExt4(last.partitionPath())) failure = QStringLiteral("mkfs.ext4 failed");
      if (what == "media") QDir().mkpath(QStringLiteral("/media"));
      mounts.push_back(std::make_unique<Mount>(last.partitionPath(), QStringLiteral("ext4"),
                                               QStringList(),
                                               what == "media" ? QStringLiteral("/media") : ""));
      if (!mounts.back()->mounted()) failure = QStringLiteral("ext4 could not be mounted");
    } else if (what == "open") {
      holds_.push_back(::open(QFile::encodeName(mounts.back()->path() + "/in-use").constData(),
                              O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    } else if (what == "loop") {
      addLoopOver(how == "image"  ? last.imagePath()
                  : how == "part" ? last.partitionPath()
                                  : last.devicePath());
    } else if (what == "hold" || what == "lock") {
      holds_.push_back(
          holdOpen(how == "part" ? last.partitionPath() : last.devicePath(), what == "lock"));
      if (holds_.back() < 0) failure = QStringLiteral("the disk could not be held");
    } else if (what == "chown") {
      if (::chown(QFile::encodeName(last.imagePath()).constData(), 65534, 65534) != 0)
        failure = QStringLiteral("chown failed");
    } else if (what == "fat") {
      if (runTool(QStringLiteral("mkfs.fat"),
                  {QStringLiteral("-F"), QString::fromUtf8(how), QStringLiteral("-n"),
                   QStringLiteral("CAMERA"), last.devicePath()})
              .status != 0)
        failure = QStringLiteral("mkfs.fat failed");
    } else if (what == "btrfs") {
      if (!QFileInfo(QStringLiteral("/usr/sbin/mkfs.btrfs")).isExecutable()) {
        missing = QStringLiteral("mkfs.btrfs is missing: install btrfs-progs (./setup does)");
        return;
      }
      const QString first = drives[drives.size() - 2]->devicePath(), second = last.devicePath();
      btrfs_ = true;
      const ToolRun made = runTool(
          QStringLiteral("/usr/sbin/mkfs.btrfs"),
          {"--force", "--nodiscard", "--data", "raid1", "--metadata", "raid1", first, second});
      if (made.status != 0) failure = made.output;
      mounts.push_back(
          std::make_unique<Mount>(first, QStringLiteral("btrfs"),
                                  QStringList{"ro", "device=" + first, "device=" + second}));
      if (!mounts.back()->mounted()) failure = QStringLiteral("btrfs could not be mounted");
    } else if (what == "damage") {
      damageFat(last);
    } else if (what == "links") {
      names["disklink"] = dir_.filePath(QStringLiteral("disk"));
      names["partlink"] = dir_.filePath(QStringLiteral("part"));
      flipping_ = true;
      flipper_ = std::thread([this, links = QStringList{names["disklink"], names["partlink"]},
                              allowed = drives[0].get(), refused = drives[1].get()] {
        for (bool toRefused = false; flipping_; toRefused = !toRefused) {
          const LoopDisk* disk = toRefused ? refused : allowed;
          pointLink(links[0], disk->devicePath());
          pointLink(links[1], disk->partitionPath());
        }
      });
    } else if (what == "impostors") {
      makeImpostors();
    } else if (what == "paths") {
      addPaths(last);
    } else if (what == "standin") {
      makeStandIn(how);
    } else {
      failure = "no such part of a scene: " + QString::fromUtf8(word);
    }
  }
}

void Scene::addDrive(const QByteArray& how) {
  LoopDisk::Options options;
  for (const QByteArray& option : how.split(',')) {
    options.dirty |= option == "dirty";
    options.blank |= option == "blank";
    options.readOnly |= option == "ro";
    options.attach &= option != "detached";
    if (option.endsWith('M')) options.bytes = option.chopped(1).toLongLong() << 20;
    if (option.endsWith('G')) options.bytes = option.chopped(1).toLongLong() << 30;
  }
  drives.push_back(std::make_unique<LoopDisk>(options));
  const LoopDisk& drive = *drives.back();
  if (!drive.ready()) failure = QStringLiteral("no loop drive");
  const QByteArray n = drives.size() == 1 ? QByteArray() : QByteArray::number(drives.size());
  names["disk" + n] = drive.name();
  names["part" + n] = drive.partitionName();
  names["image" + n] = drive.imagePath();
}

void Scene::addLoopOver(const QString& target) {
  loops_.push_back(std::make_unique<LoopDisk>(LoopDisk::Options{.blank = true, .over = target}));
  if (!loops_.back()->ready()) failure = QStringLiteral("no loop over ") + target;
  names["loop"] = loops_.back()->name();
  names["looppart"] = loops_.back()->partitionName();
}

void Scene::makeImpostors() {
  const QString bin = dir_.filePath(QStringLiteral("bin")),
                ran = dir_.filePath(QStringLiteral("ran"));
  QDir().mkpath(bin);
  QDir().mkpath(ran);
  names["impostors"] = bin;
  for (const char* name :
       {"wipefs",    "sfdisk",    "partx",    "mkfs.fat", "mkfs.vfat", "mkdosfs", "fsck.fat",
        "fsck.vfat", "dosfsck",   "blkid",    "lsblk",    "findmnt",   "mount",   "umount",
        "udevadm",   "udisksctl", "blockdev", "dd",       "flock",     "sh",      "bash"}) {
    if (!writeProgram(bin + QLatin1Char('/') + QLatin1String(name),
                      "#!/bin/sh\n: > '" + QFile::encodeName(ran) + "/" + name + "'\nexit 0\n"))
      failure = QStringLiteral("no impostor");
  }
}

void Scene::addPaths(const LoopDisk& disk) {
  names["marker"] = dir_.filePath(QStringLiteral("ran/marker"));
  const QString shm = shm_.emplace(QStringLiteral("/dev/shm/tessaro-security-XXXXXX")).path();
  names["devrel"] = shm.mid(5) + QStringLiteral("/plain");
  const auto link = [&](const QByteArray& key, const QString& path, const QString& target) {
    names[key] = path;
    if (!QDir().mkpath(QFileInfo(path).path()) || !QFile::link(target, path))
      failure = QStringLiteral("no link ") + path;
  };
  link("shm", shm + QStringLiteral("/;touch ") + names["marker"] + QStringLiteral(";/disk"),
       disk.devicePath());
  link("shmpart", shm + QStringLiteral("/;touch ") + names["marker"] + QStringLiteral(";/part"),
       disk.partitionPath());
  link("plain", shm + QStringLiteral("/plain"), disk.devicePath());
  link("byid", shm + QStringLiteral("/disk/by-id/usb-Generic_Flash_Disk_0123-0:0"),
       disk.devicePath());
  QDir().mkpath(dir_.filePath(QStringLiteral("ran")));
}

// A pause first, so that the bytes begin a read of their own.
void Scene::makeStandIn(const QByteArray& how) {
  if (const std::string why = test::missingMountNamespace(); !why.empty())
    missing = QString::fromStdString(why);
  hiddenTool = QStandardPaths::findExecutable(QString::fromUtf8(how.split(':').value(0)),
                                              {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
  const QByteArray bytes = how.mid(how.indexOf(':') + 1);
  QFile said(dir_.filePath(QStringLiteral("said")));
  const QString real = dir_.filePath(QStringLiteral("real"));
  toolStandIn = dir_.filePath(QStringLiteral("stand-in"));
  if (hiddenTool.isEmpty() || !said.open(QIODevice::WriteOnly) ||
      said.write(bytes) != bytes.size() || !QFile::copy(hiddenTool, real) ||
      !writeProgram(toolStandIn, "#!/bin/sh\nsleep 0.3\ncat '" + QFile::encodeName(said.fileName()) +
                                     "'\nexec '" + QFile::encodeName(real) + "' \"$@\"\n"))
    failure = QStringLiteral("no stand-in");
}

// A lost cluster chain (10000 -> 10001 -> end) in the first FAT only: the copies
// differ and two clusters are in use with no file pointing at them.
void Scene::damageFat(const LoopDisk& disk) {
  QFile device(disk.partitionPath());
  if (!device.open(QIODevice::ReadWrite | QIODevice::Unbuffered | QIODevice::ExistingOnly)) {
    failure = QStringLiteral("the partition cannot be opened");
    return;
  }
  const QByteArray boot = device.read(512);
  const auto word = [&](int at) { return qFromLittleEndian<quint16>(boot.constData() + at); };
  if (!device.seek(word(14) * word(11) + 4 * 10000) ||
      device.write(QByteArray("\x11\x27\0\0\xff\xff\xff\x0f", 8)) != 8) {
    failure = QStringLiteral("the FAT could not be damaged");
  }
  device.close();
  if (runTool(QStringLiteral("fsck.fat"), {QStringLiteral("-n"), disk.partitionPath()}).status == 0)
    failure = QStringLiteral("fsck.fat does not see the damage");
}

Scene::~Scene() {
  flipping_ = false;
  if (flipper_.joinable()) flipper_.join();
  for (int fd : holds_) {
    if (fd >= 0) ::close(fd);
  }
  mounts.clear();
  // The kernel remembers btrfs devices it has seen; forget ours before the
  // loop numbers go back to the pool.
  for (const auto& drive : drives) {
    if (btrfs_)
      runTool(QStringLiteral("btrfs"), {"device", "scan", "--forget", drive->devicePath()});
  }
}

std::vector<QString> Scene::hashes() const {
  std::vector<QString> all;
  for (const auto& drive : drives) all.push_back(drive->hash());
  return all;
}

// The programs a run showed, each once, in order.
QStringList programsShown(const HelperRun::Result& result) {
  QStringList programs;
  for (const QString& line : commandLines(result.lines)) {
    if (!programs.contains(programOf(line))) programs << programOf(line);
  }
  return programs;
}

// Checks what a row's expect field says of a run that has ended. Words:
//   status=A,B  status!=A,B  kind=K written=0|1 (its failure event)  nowrite  nocommand
//   refused=KIND,KIND (a status of those kinds, nothing written, nothing run on usage)
//   nowrite-after (nothing written after the step the run stood at)
//   unchanged[=N] (every drive, or the N-th, keeps every byte)  label=X (FAT32 X
//   on the first drive)  clean (fsck.fat -n passes it)  blank (no table, no
//   partition, no signature)  mounted | unmounted  says=TEXT  shows=LINE
//   runs=PROGRAM  skips=PROGRAM  cancelled (one "Cancelled:" line, the last,
//   and no result)  gone (no process left on the drive)  ran-nothing (no
//   impostor, no {marker}, nothing new in the working directory)  reformat (a
//   format after it succeeds)
void expectAfter(const QByteArrayList& expect, const Scene& scene, const HelperRun::Result& result,
                 const std::vector<QString>& before, const std::optional<QString>& frozenAt = {}) {
  const std::string shown = describe(result);
  const QString text = result.lines.join(QLatin1Char('\n'));
  const Told told = toldBy(result.lines);
  static const LoopDisk none{{.attach = false, .blank = true}};
  const LoopDisk& disk = scene.drives.empty() ? none : *scene.drives.front();
  const auto ranProgram = [&](const QString& program) {
    for (const QString& line : commandLines(result.lines)) {
      if (line.contains(program)) return true;
    }
    return false;
  };
  for (const QByteArray& word : expect) {
    SCOPED_TRACE("expected " + word.toStdString());
    const QByteArray key = word.contains('=') ? word.left(word.indexOf('=')) : word;
    const QString value = QString::fromUtf8(expanded(word.mid(key.size() + 1), scene.names));
    if (key == "status" || key == "status!") {
      QList<int> listed;
      for (const QString& status : value.split(QLatin1Char(','))) listed << status.toInt();
      EXPECT_EQ(listed.contains(result.status), key == "status") << shown;
    } else if (key == "refused") {
      EXPECT_TRUE(value.split(',').contains(C::failureKind(result.status))) << shown;
      EXPECT_EQ(writingCommands(result.lines), QStringList()) << "a refusal writes nothing";
      if (result.status == C::usage)
        EXPECT_EQ(commandLines(result.lines), QStringList()) << "a usage refusal runs nothing";
    } else if (key == "kind") {
      EXPECT_EQ(told.failure ? QString::fromStdString(told.failure->kind) : QString(), value)
          << shown;
    } else if (key == "written") {
      EXPECT_TRUE(told.failure && told.failure->written == (value == "1")) << shown;
    } else if (key == "nowrite") {
      EXPECT_EQ(writingCommands(result.lines), QStringList()) << "it wrote or unmounted";
    } else if (key == "nocommand") {
      EXPECT_EQ(commandLines(result.lines), QStringList()) << shown;
    } else if (key == "nowrite-after") {
      const QStringList writing = writingCommands(result.lines);
      EXPECT_EQ(writing.mid(writing.indexOf(frozenAt.value_or(QString())) + 1), QStringList())
          << "it wrote after the drive changed under it; " << shown;
    } else if (key == "unchanged") {
      for (size_t i = 0; i < before.size(); ++i) {
        if (value.isEmpty() || value.toUInt() == i + 1)
          EXPECT_EQ(scene.drives[i]->hash(), before[i]) << "drive " << i + 1 << " was written to";
      }
    } else if (key == "label") {
      EXPECT_EQ(disk.fatLabel(), QStringLiteral("FAT32 ") + value) << shown;
    } else if (key == "clean") {
      EXPECT_EQ(runTool(QStringLiteral("fsck.fat"), {"-n", disk.partitionPath()}).status, 0);
    } else if (key == "blank") {
      EXPECT_FALSE(QFileInfo::exists(disk.partitionPath())) << "a partition is left";
      EXPECT_EQ(runTool(QStringLiteral("blkid"), {"-p", disk.devicePath()}).output, "");
      QFile device(disk.devicePath());
      ASSERT_TRUE(device.open(QIODevice::ReadOnly));
      EXPECT_EQ(device.read(4096), QByteArray(4096, '\0')) << "test data where a table is read";
    } else if (key == "mounted" || key == "unmounted") {
      for (const auto& mount : scene.mounts) EXPECT_EQ(mount->mounted(), key == "mounted");
    } else if (key == "says") {
      EXPECT_TRUE(text.contains(value)) << shown;
    } else if (key == "shows") {
      EXPECT_TRUE(result.lines.contains(value)) << shown;
    } else if (key == "runs" || key == "skips") {
      EXPECT_EQ(ranProgram(value), key == "runs") << shown;
    } else if (key == "cancelled") {
      EXPECT_TRUE(result.lines.value(result.lines.size() - 1).startsWith("Cancelled: ")) << shown;
      EXPECT_EQ(result.lines.filter(QRegularExpression(QStringLiteral("^Cancelled: "))).size(), 1)
          << "one cancel, one line: " << shown;
      EXPECT_FALSE(told.result) << "a result after a cancel; " << shown;
    } else if (key == "gone") {
      for (int i = 0; i < 100 && !processesFor(disk.name()).isEmpty(); ++i) ::usleep(50000);
      EXPECT_EQ(processesFor(disk.name()), "");
    } else if (key == "ran-nothing") {
      EXPECT_FALSE(scene.impostorRan()) << "programs or text of the caller's ran as root";
      EXPECT_EQ(result.leftBehind, QStringList()) << "text in the arguments ran as a command";
    } else if (key == "reformat") {
      const HelperRun::Result again =
          HelperRun::run({"format", disk.name().toUtf8(), "AGAIN", "default"});
      EXPECT_EQ(again.status, C::success) << describe(again);
      EXPECT_EQ(disk.fatLabel(), QStringLiteral("FAT32 AGAIN"));
    } else {
      ADD_FAILURE() << "no such expectation";
    }
  }
}

// The row's command with each program a successful run of it on the second
// drive showed hidden in a private mount namespace, on the first drive.
void playWithEachToolHidden(const SceneRow& row, const Scene& scene, const QByteArrayList& args,
                            const QByteArrayList& environment) {
  if (const std::string why = test::missingMountNamespace(); !why.empty()) GTEST_SKIP() << why;
  QByteArrayList baselineArgs = args;
  for (QByteArray& arg : baselineArgs)
    arg.replace(scene.names.at("disk").toUtf8(), scene.names.at("disk2").toUtf8());
  const HelperRun::Result baseline = HelperRun::run(baselineArgs);
  ASSERT_TRUE(baseline.status == 0 || baseline.status == 1) << describe(baseline);
  const QStringList programs = programsShown(baseline);
  ASSERT_FALSE(programs.isEmpty()) << "the run showed no command: " << describe(baseline);
  for (const QString& program : programs) {
    SCOPED_TRACE("without " + program.toStdString());
    ASSERT_TRUE(program.startsWith(QLatin1Char('/')))
        << "found through PATH, which the caller chooses";
    const QString path = QFileInfo(program).canonicalFilePath();
    const QString package = packageOwning(path);
    const std::vector<QString> before = scene.hashes();
    const HelperRun::Result result =
        HelperRun::run(args, {.hiddenTool = path, .environmentChanges = environment});
    expectAfter(row.expect, scene, result, before);
    if (!package.isEmpty()) {
      EXPECT_TRUE(result.lines.join('\n').contains(package))
          << "the package " << package.toStdString() << " is not named; " << describe(result);
    }
  }
}

// One run of the row: started, stopped at the step the action names (at write
// N, at command TEXT, at line TEXT, at start), acted on, let go, and checked. Actions: cancel,
// sigterm, keys (Ctrl+C, Ctrl+\, Ctrl+Z and a hang-up at its terminal), swap
// (the first drive's name given to the second), claim:part (nobody else may
// hold it), second:VERB (a second run of VERB is refused), loop:image,
// offset (the loop device changed under the run), flood (8 MiB of input then
// a cancel), repeat N (the run N times).
void play(const SceneRow& row, Scene& scene, const QByteArrayList& args,
          const QByteArrayList& environment) {
  const QByteArrayList& action = row.action;
  const bool at = action.value(0) == "at";
  const QByteArray when = at ? action.value(1) : QByteArray();
  const bool hasStep = at && when != "start";
  const QByteArray step = expanded(hasStep ? action.value(2) : QByteArray(), scene.names);
  const QByteArrayList acts = action.mid(hasStep ? 3 : at ? 2 : 0);
  static LoopDisk none{{.attach = false, .blank = true}};
  LoopDisk& disk = scene.drives.empty() ? none : *scene.drives.front();
  const bool isFormat = args.value(0) == C::formatVerb;
  const std::vector<QString> before = scene.hashes();
  HelperRun::Setup setup{.hiddenTool = scene.hiddenTool,
                         .toolStandIn = scene.toolStandIn,
                         .terminal = scene.terminal,
                         .environmentChanges = environment,
                         .helperFrames = args.value(0) != "cli"};
  if (acts.contains("flood")) setup.input = QByteArray(8 << 20, 'x') + C::cancelRequest + '\n';
  // "cli" runs tessaro-cli of this build, which runs the helper.
  ChildRun run(setup.helperFrames ? TESSARO_HELPER_BUILD_PATH : TESSARO_CLI_BUILD_PATH,
               args.mid(setup.helperFrames ? 0 : 1), setup);
  std::optional<QString> frozenAt;
  if (when == "write") {
    for (int n = 0; n < step.toInt(); ++n) frozenAt = run.waitForLine(writesToDisk);
  } else if (when == "line" || when == "command") {
    frozenAt = run.waitForLine([&](const QString& line) {
      return line.contains(step) && (when == "line" || line.startsWith(QLatin1String("$ ")));
    });
  } else if (when == "start") {
    frozenAt = QString();
  }
  if (at && !frozenAt) {
    const HelperRun::Result result = run.finish();
    ASSERT_TRUE(when == "write" && step.toInt() > 1 && (result.status == 0 || result.status == 1))
        << "the run never came to " << step.toStdString() << ": " << describe(result);
    std::cout << "  the run has fewer writing steps\n";
    return;
  }
  bool swapped = false, watchLock = false;
  if (at) run.freeze();
  for (const QByteArray& act : acts) {
    if (act == "cancel") {
      run.send(QByteArray(C::cancelRequest) + '\n');
    } else if (act == "sigterm") {
      ::kill(run.pid(), SIGTERM);
    } else if (act == "keys") {
      run.typeAtTerminal("\x03\x1c\x1a");  // Ctrl+C, Ctrl+\, Ctrl+Z
      ::kill(-run.pid(), SIGHUP);
      run.hangUpTerminal();
      watchLock = true;
    } else if (act == "swap") {
      const QString name = disk.name();
      disk.detach();
      swapped = scene.drives[1]->attachAs(name);
      // The number went to someone else's image (or nobody's): going on could
      // write to a disk this test did not make.
      if (!swapped && !disk.attached())
        GTEST_SKIP() << name.toStdString() << " was taken by another process; the run was killed";
    } else if (act == "claim:part") {
      EXPECT_FALSE(canHold(disk.partitionPath(), false)) << "another program claimed the partition";
    } else if (act.startsWith("second:")) {
      const QByteArray verb = act.mid(7);
      const std::vector<QString> now = scene.hashes();
      const HelperRun::Result second = HelperRun::run(
          verb == C::formatVerb ? QByteArrayList{verb, disk.name().toUtf8(), "SECOND", "default"}
                                : QByteArrayList{verb, disk.partitionName().toUtf8()},
          {}, 120000);
      SCOPED_TRACE("a second run: " + verb.toStdString());
      expectAfter({"status=69", "nowrite", "unchanged"}, scene, second, now);
    } else if (act == "loop:image") {
      scene.addLoopOver(disk.imagePath());
    } else if (act == "offset") {
      const int fd = ::open(QFile::encodeName(disk.devicePath()).constData(), O_RDONLY | O_CLOEXEC);
      loop_info64 info{};
      EXPECT_TRUE(fd >= 0 && ::ioctl(fd, LOOP_GET_STATUS64, &info) == 0 &&
                  (info.lo_offset = 512, ::ioctl(fd, LOOP_SET_STATUS64, &info) == 0));
      if (fd >= 0) ::close(fd);
    } else if (act != "flood") {
      ADD_FAILURE() << "no such action: " << act.toStdString();
    }
  }
  if (at) run.thaw();
  ASSERT_TRUE(scene.failure.isEmpty()) << scene.failure.toStdString();
  // The disk stays locked until the helper has said how the run ended: its
  // result event, then its verdict line.
  while (watchLock) {
    EXPECT_TRUE(!canHold(disk.devicePath(), true)) << "the lock was let go before the run ended";
    const auto line = run.waitForLine([](const QString&) { return true; }, 10000);
    const auto event = line ? contract::HelperEvent::fromLine(line->toStdString()) : std::nullopt;
    watchLock =
        line && !line->startsWith(QLatin1String("Verified:")) && !(event && event->isResult());
  }
  const HelperRun::Result result = run.finish(120000);
  expectAfter(row.expect, scene, result, before, frozenAt);
  if (acts.contains("swap")) {
    if (swapped) {
      EXPECT_NE(result.status, C::success) << "the chosen drive went away, yet the run succeeded";
    } else if (isFormat && result.status == C::success) {
      // The helper held the chosen drive, so its name never changed hands.
      EXPECT_EQ(disk.fatLabel(), QStringLiteral("FAT32 ") + args.value(2)) << describe(result);
    }
  }
}

class Scenes : public SecurityTest, public ::testing::WithParamInterface<SceneRow> {};

TEST_P(Scenes, EndAsTheRowSays) {
  const SceneRow& row = GetParam();
  SCOPED_TRACE(row.where.toStdString() + "\n  because " + row.because.toStdString());
  Scene scene(row.world);
  if (!scene.missing.isEmpty()) GTEST_SKIP() << scene.missing.toStdString();
  ASSERT_TRUE(scene.failure.isEmpty()) << scene.failure.toStdString();
  if (row.command.value(0).startsWith("attacks:")) {
    for (const SceneRow& attack : attacksOf(row)) {
      SCOPED_TRACE(attack.where.toStdString() + "\n  because " + attack.because.toStdString());
      QByteArrayList args;
      for (const QByteArray& word : attack.command) args << expanded(word, scene.names);
      play(attack, scene, args, {"PKEXEC_UID"});
    }
    return;
  }
  // PKEXEC_UID only as the row says; NAME=VALUE before the verb sets NAME, -NAME removes it.
  QByteArrayList args, environment{"PKEXEC_UID"};
  for (const QByteArray& word : row.command) {
    const QByteArray arg = expanded(word, scene.names);
    if (args.isEmpty() && arg.contains('=')) {
      environment << arg;
    } else if (args.isEmpty() && arg.startsWith('-')) {
      environment << arg.mid(1);
    } else {
      args << arg;
    }
  }
  if (row.action.value(0) == "hide-each-tool") {
    playWithEachToolHidden(row, scene, args, environment);
    return;
  }
  SceneRow once = row;
  const int times = row.action.value(0) == "repeat" ? row.action.value(1).toInt() : 1;
  if (times > 1) once.action = row.action.mid(2);
  for (int i = 0; i < times && !HasFatalFailure() && !IsSkipped(); ++i) {
    play(once, scene, args, environment);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, Scenes, ::testing::ValuesIn(sceneRows()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tessaro::security
