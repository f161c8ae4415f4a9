// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Hostile command lines: what a local user who got past pkexec can hand the
// helper. None of them may run anything, write anything or run text as a
// command; every disk keeps every byte.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <optional>
#include <set>

#include "DataRows.h"
#include "SecurityTest.h"

namespace tessaro::security {
namespace {

// Two drives worth keeping, and paths that lead to the first one: links under
// the world-writable /dev/shm (one of them in directories whose names are
// shell text that would create the marker), a by-id style link, the image.
class Scene {
 public:
  Scene() {
    marker_ = markerDir_.filePath(QStringLiteral("ran-as-root"));
    const QString shm = shmDir_.path();
    link(shm + QStringLiteral("/;touch ") + marker_ + QStringLiteral(";/disk"), "shm",
         disk.devicePath());
    link(shm + QStringLiteral("/;touch ") + marker_ + QStringLiteral(";/part"), "shmpart",
         disk.partitionPath());
    link(shm + QStringLiteral("/plain"), "shmplain", disk.devicePath());
    values_["devrel"] = (shm.mid(5) + QStringLiteral("/plain")).toUtf8();  // shm/... under /dev
    link(shm + QStringLiteral("/disk/by-id/usb-Generic_Flash_Disk_0123-0:0"), "byid",
         disk.devicePath());
    values_["byidname"] = "usb-Generic_Flash_Disk_0123-0:0";
    values_["disk"] = disk.name().toUtf8();
    values_["part"] = disk.partitionName().toUtf8();
    values_["dev"] = disk.devicePath().toUtf8();
    values_["devpart"] = disk.partitionPath().toUtf8();
    values_["image"] = disk.imagePath().toUtf8();
    values_["other"] = other.partitionName().toUtf8();
    values_["marker"] = marker_.toUtf8();
    values_["a5000"] = QByteArray(5000, 'a');
  }

  bool ready() const { return ok_ && disk.ready() && other.ready() && shmDir_.isValid(); }

  QByteArrayList fill(const QByteArrayList& args) const {
    QByteArrayList filled;
    for (QByteArray arg : args) {
      for (const auto& [key, value] : values_) arg.replace("{" + key + "}", value);
      filled << arg;
    }
    return filled;
  }

  // Whether shell text made the marker; removes it, so that each attack is judged alone.
  bool takeMarker() const { return QFile::remove(marker_); }

  LoopDisk disk;
  LoopDisk other{{.label = QStringLiteral("OTHER")}};

 private:
  void link(const QString& path, const QByteArray& key, const QString& target) {
    ok_ = ok_ && QDir().mkpath(QFileInfo(path).path()) && QFile::link(target, path);
    values_[key] = path.toUtf8();
  }

  QTemporaryDir shmDir_{QStringLiteral("/dev/shm/tessaro-security-XXXXXX")};
  QTemporaryDir markerDir_;
  QString marker_;
  std::map<QByteArray, QByteArray> values_;
  bool ok_ = true;
};

struct Attack {
  QString where;
  QByteArray what;
  QByteArrayList args;  // {placeholders} filled in by the scene
  std::set<int> allowed;
  QByteArray because;  // what the user would lose if the helper went along
};

// A status by the name a failure event gives it ("usage"), or "success".
std::optional<int> statusNamed(const QByteArray& name) {
  if (name == "success") return C::success;
  for (int status = C::usage; status <= C::batchIncomplete; ++status) {
    if (name == C::failureKind(status)) return status;
  }
  return std::nullopt;
}

// The rows of one group in data/argument-attacks.rows.
std::vector<Attack> attacks(const QByteArray& group) {
  std::vector<Attack> found;
  for (const DataRow& row : readDataRows(TESSARO_SECURITY_DATA_DIR "/argument-attacks.rows")) {
    if (row.fields.value(0) != group) continue;
    Attack attack{row.where, row.fields.value(1), wordsOf(row.fields.value(2)), {},
                  row.fields.value(4)};
    for (const QByteArray& name : row.fields.value(3).split(',')) {
      const std::optional<int> status = statusNamed(name.trimmed());
      EXPECT_TRUE(status) << row.where.toStdString() << ": no status " << name.toStdString();
      if (status) attack.allowed.insert(*status);
    }
    EXPECT_EQ(row.fields.size(), 5) << row.where.toStdString();
    found.push_back(attack);
  }
  EXPECT_FALSE(found.empty()) << "no rows of " << group.toStdString();
  return found;
}

// Runs each attack of group and checks that it was refused with an allowed
// status, that a usage refusal ran nothing and any other refusal wrote
// nothing, that no text ran as a command, and that both drives kept every byte.
void expectRefusedAndUntouched(const Scene& scene, const QByteArray& group) {
  QString diskHash = scene.disk.hash();
  QString otherHash = scene.other.hash();
  for (const Attack& attack : attacks(group)) {
    SCOPED_TRACE(attack.where.toStdString() + ": " + attack.what.toStdString() + "\n  because " +
                 attack.because.toStdString());
    const HelperRun::Result result = HelperRun::run(scene.fill(attack.args));
    EXPECT_TRUE(attack.allowed.count(result.status)) << describe(result);
    if (result.status == C::usage) {
      EXPECT_EQ(commandLines(result.lines), QStringList()) << "a usage refusal runs nothing";
    }
    EXPECT_EQ(writingCommands(result.lines), QStringList()) << "a refusal writes nothing";
    EXPECT_FALSE(scene.takeMarker()) << "shell text in the arguments ran as root";
    EXPECT_EQ(result.leftBehind, QStringList()) << "shell text in the arguments ran as root";
    const QString diskNow = scene.disk.hash();
    const QString otherNow = scene.other.hash();
    EXPECT_EQ(diskNow, diskHash) << "the drive was written to";
    EXPECT_EQ(otherNow, otherHash) << "the other drive was written to";
    diskHash = diskNow;  // so that one row's damage is not blamed on the next
    otherHash = otherNow;
  }
}

class ArgumentAttack : public SecurityTest {
 protected:
  void SetUp() override {
    SecurityTest::SetUp();
    if (IsSkipped()) return;
    scene = std::make_unique<Scene>();
    ASSERT_TRUE(scene->ready()) << "could not set up the loop drives and links";
  }
  std::unique_ptr<Scene> scene;
};

TEST_F(ArgumentAttack, PathsOfEveryShapeAreNotDeviceNames) {
  expectRefusedAndUntouched(*scene, "path");
}

TEST_F(ArgumentAttack, NamesOutsideTheKernelsNamingAreRefused) {
  expectRefusedAndUntouched(*scene, "name");
}

TEST_F(ArgumentAttack, ShellTextInAnyArgumentIsNeverRun) {
  expectRefusedAndUntouched(*scene, "shell");
}

TEST_F(ArgumentAttack, WrongCountsAndUnknownVerbsRunNothing) {
  expectRefusedAndUntouched(*scene, "count");
}

TEST_F(ArgumentAttack, BatchesRunNothingTheirDisksWouldRefuseAlone) {
  expectRefusedAndUntouched(*scene, "batch");
}

// Refused before anything is erased: a format that cannot end with what was
// asked for must not begin.
TEST_F(ArgumentAttack, NamesAndClusterSizesThatCannotBeHonouredEraseNothing) {
  expectRefusedAndUntouched(*scene, "request");
}

// Text that is a valid FAT label reaches mkfs.fat as one argument and comes
// back from the drive exactly as typed; nothing in it runs.
TEST_F(ArgumentAttack, LabelsThatLookLikeShellOrOptionsAreWrittenAsTyped) {
  for (const Attack& attack : attacks("label")) {
    SCOPED_TRACE(attack.where.toStdString() + ": " + attack.what.toStdString() + "\n  because " +
                 attack.because.toStdString());
    LoopDisk disk;
    ASSERT_TRUE(disk.ready());
    const QString before = disk.hash();
    QByteArrayList args = attack.args;
    for (QByteArray& arg : args) arg.replace("{disk}", disk.name().toUtf8());
    const QByteArray label = args.value(2);
    const HelperRun::Result result = HelperRun::run(args);
    EXPECT_EQ(result.leftBehind, QStringList()) << "the label ran as a command";
    if (result.status == C::refusedRequest) {
      EXPECT_EQ(disk.hash(), before) << "refused, yet the drive was written to";
      continue;
    }
    EXPECT_EQ(result.status, C::success) << describe(result);
    EXPECT_EQ(disk.fatLabel(), QStringLiteral("FAT32 ") + QString::fromUtf8(label))
        << describe(result);
  }
}

}  // namespace
}  // namespace tessaro::security
