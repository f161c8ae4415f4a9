// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Hostile command lines: what a local user who got past pkexec can hand the
// helper. None of them may run anything, write anything or run text as a
// command; every disk keeps every byte.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <set>

#include "SecurityTest.h"

namespace tessaro::security {
namespace {

struct Attack {
  const char* what;
  QByteArrayList args;  // {placeholders} filled in by the scene
  std::set<int> allowed;
  const char* because;  // what the user would lose if the helper went along
};

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

// Runs each attack and checks that it was refused with an allowed status,
// that a usage refusal ran nothing and any other refusal wrote nothing, that
// no text ran as a command, and that both drives kept every byte.
void expectRefusedAndUntouched(const Scene& scene, const std::vector<Attack>& attacks) {
  QString diskHash = scene.disk.hash();
  QString otherHash = scene.other.hash();
  for (const Attack& attack : attacks) {
    SCOPED_TRACE(std::string(attack.what) + "\n  because " + attack.because);
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

const std::set<int> usage{C::usage};
const std::set<int> usageOrDevice{C::usage, C::refusedDevice};
const std::set<int> usageOrRequest{C::usage, C::refusedRequest};

const char* followed =
    "a path is followed by whoever opens it: a link can lead the root helper to any disk";
const char* shellLine = "the device went into a shell line: any command ran as root";
const char* notBlock = "only block devices are drives";

TEST_F(ArgumentAttack, PathsOfEveryShapeAreNotDeviceNames) {
  expectRefusedAndUntouched(
      *scene,
      // clang-format off
      {
          {"the device node as a path", {"format", "{dev}", "X", "default"}, usage, followed},
          {"a partition node as a path", {"check", "{devpart}"}, usage, followed},
          {"info on a path", {"info", "{dev}"}, usage, followed},
          {"info on a partition path", {"info", "{disk}", "{devpart}"}, usage, followed},
          {"/dev/../dev/", {"format", "/dev/../dev/{disk}", "X", "default"}, usage, followed},
          {"dot-dot up to the node", {"format", "../../dev/{disk}", "X", "default"}, usage,
           followed},
          {"dot-dot inside", {"format", "{disk}/../{disk}", "X", "default"}, usage, followed},
          {"a name with a trailing slash", {"check", "{part}/"}, usage, followed},
          {"dot and dot-dot", {"check", ".."}, usageOrDevice, followed},
          {"the sysfs entry", {"format", "/sys/class/block/{disk}", "X", "default"}, usage,
           followed},
          {"a /dev/shm link in dirs named as commands", {"format", "{shm}", "X", "default"}, usage,
           shellLine},
          {"the same link to a partition, checked", {"check", "{shmpart}"}, usage, shellLine},
          {"a /dev/shm link relative to /dev", {"format", "{devrel}", "X", "default"}, usage,
           followed},
          {"a by-id style link", {"format", "{byid}", "X", "default"}, usage, followed},
          {"a bare by-id style name", {"format", "{byidname}", "X", "default"}, usageOrDevice,
           followed},
          {"the image file itself", {"format", "{image}", "X", "default"}, usage,
           "a regular file is nobody's drive: the helper would write to any file as root"},
          {"/dev/null", {"format", "/dev/null", "X", "default"}, usage, followed},
          {"null, a character device", {"check", "null"}, usageOrDevice, notBlock},
          {"loop-control", {"format", "loop-control", "X", "default"}, usageOrDevice, notBlock},
          {"a well-formed name of no device", {"format", "loop999999", "X", "default"},
           usageOrDevice, "a name the kernel does not know cannot be a chosen drive"},
          {"probe on a path", {"probe", "{dev}"}, usage, followed},
          {"a partition where a probe takes a disk", {"probe", "{part}"}, usageOrDevice,
           "a probe writes test blocks over a whole disk; half a disk is not what was chosen"},
          {"a partition where a format takes a disk", {"format", "{part}", "X", "default"},
           usageOrDevice, "a format erases a whole disk; half a disk is not what was chosen"},
          {"info on one disk with another disk's partition", {"info", "{disk}", "{other}"},
           usageOrDevice, "the report would mix two drives"},
      });
  // clang-format on
}

TEST_F(ArgumentAttack, NamesOutsideTheKernelsNamingAreRefused) {
  const char* exact = "a name that is not exactly a kernel name can mean another device";
  const char* option = "a tool would read the name as an option";
  expectRefusedAndUntouched(
      *scene,
      // clang-format off
      {
          {"a leading dash", {"format", "-{disk}", "X", "default"}, usage, option},
          {"--help as the device", {"check", "--help"}, usage, option},
          {"-h as the device", {"info", "-h"}, usage, option},
          {"an empty name", {"format", "", "X", "default"}, usage, "/dev/ itself is not a drive"},
          {"a trailing blank", {"format", "{disk} ", "X", "default"}, usageOrDevice, exact},
          {"a trailing newline", {"check", "{part}\n"}, usageOrDevice, exact},
          {"two names in one", {"format", "{disk} {disk}", "X", "default"}, usageOrDevice, exact},
          {"upper case", {"format", "LOOP0", "X", "default"}, usageOrDevice, exact},
          {"a glob", {"format", "loop*", "X", "default"}, usageOrDevice,
           "a glob would pick a disk nobody chose"},
          {"bytes that are not UTF-8", {"format", "{disk}\xff", "X", "default"}, usageOrDevice,
           exact},
          {"five thousand letters", {"check", QByteArray(5000, 'a')}, usageOrDevice, exact},
      });
  // clang-format on
}

TEST_F(ArgumentAttack, ShellTextInAnyArgumentIsNeverRun) {
  const char* shell = "text in an argument ran as a command, as root";
  expectRefusedAndUntouched(
      *scene,
      // clang-format off
      {
          {"after the disk", {"format", "{disk};touch {marker}", "X", "default"}, usage, shell},
          {"substituted disk", {"format", "$(touch {marker})", "X", "default"}, usage, shell},
          {"backquotes as the partition", {"check", "`touch {marker}`"}, usage, shell},
          {"a pipe after the partition", {"check", "{part}|touch {marker}"}, usage, shell},
          {"an and-list after the disk", {"info", "{disk}&&touch {marker}"}, usage, shell},
          {"a relative command as the partition", {"info", "{disk}", "$(touch M)"}, usage, shell},
          {"a quote-breaking volume name", {"format", "{disk}", "';touch {marker};'", "default"},
           usageOrRequest, shell},
          {"a volume name closing a double quote", {"format", "{disk}", "\";touch M;\"", "default"},
           usageOrRequest, shell},
          {"after the cluster size", {"format", "{disk}", "X", "512;touch {marker}"},
           usageOrRequest, shell},
          {"a cluster size substituted", {"format", "{disk}", "X", "$(touch M)"}, usageOrRequest,
           shell},
          {"a cluster size in backquotes", {"format", "{disk}", "X", "`touch M`"}, usageOrRequest,
           shell},
          {"after the verb", {"format;touch {marker}", "{disk}", "X", "default"}, usage, shell},
          {"after the probed disk", {"probe", "{disk};touch {marker}"}, usage, shell},
          {"after the partition size", {"format", "{disk}", "X", "default", "33554432;touch M"},
           usage, shell},
          {"a verb substituted", {"$(touch M)", "{disk}"}, usage, shell},
      });
  // clang-format on
}

TEST_F(ArgumentAttack, WrongCountsAndUnknownVerbsRunNothing) {
  const char* count = "an argument the helper ignores or invents can change what it erases";
  const char* verb = "only the four verbs exist; anything else might be taken for one";
  expectRefusedAndUntouched(
      *scene,
      // clang-format off
      {
          {"no arguments at all", {}, usage, verb},
          {"a format with an extra argument", {"format", "{disk}", "X", "default", "{other}"},
           usage, count},
          {"a format with -- at the end", {"format", "{disk}", "X", "default", "--"}, usage, count},
          {"a format without the cluster size", {"format", "{disk}", "X"}, usage, count},
          {"a format with only the disk", {"format", "{disk}"}, usage, count},
          {"a bare format", {"format"}, usage, count},
          {"a check with an extra argument", {"check", "{part}", "{other}"}, usage, count},
          {"a bare check", {"check"}, usage, count},
          {"a probe with an extra argument", {"probe", "{disk}", "{other}"}, usage, count},
          {"a bare probe", {"probe"}, usage, count},
          {"info with an extra argument", {"info", "{disk}", "{part}", "{disk}"}, usage, count},
          {"a bare info", {"info"}, usage, count},
          {"an unknown verb", {"erase", "{disk}"}, usage, verb},
          {"a verb in upper case", {"FORMAT", "{disk}", "X", "default"}, usage, verb},
          {"a verb as an option", {"--format", "{disk}", "X", "default"}, usage, verb},
          {"-- before the verb", {"--", "format", "{disk}", "X", "default"}, usage, verb},
          {"an empty verb", {"", "{disk}"}, usage, verb},
      });
  // clang-format on
}

// Refused before anything is erased: a format that cannot end with what was
// asked for must not begin.
TEST_F(ArgumentAttack, NamesAndClusterSizesThatCannotBeHonouredEraseNothing) {
  const char* name = "the drive was erased for a name that cannot be written as typed";
  const char* cluster = "the drive was erased for a cluster size mkfs.fat cannot use";
  const std::set<int> request{C::refusedRequest};
  const auto named = [&](const char* what, const QByteArray& label) {
    return Attack{what, {"format", "{disk}", label, "default"}, request, name};
  };
  const auto sized = [&](const char* what, const QByteArray& size) {
    return Attack{what, {"format", "{disk}", "X", size}, usageOrRequest, cluster};
  };
  const auto partition = [&](const char* what, const QByteArray& bytes) {
    return Attack{what, {"format", "{disk}", "X", "default", bytes}, usageOrRequest,
                  "the table would reach past the drive or hold no FAT32"};
  };
  expectRefusedAndUntouched(*scene,
                            {
                                named("NO NAME", "NO NAME"),
                                named("no name in lower case", "no name"),
                                named("a trailing blank", "USB "),
                                named("a leading blank", " USB"),
                                named("twelve characters", "ABCDEFGHIJKL"),
                                named("a newline", "A\nB"),
                                named("a character FAT forbids", "A*B"),
                                named("a byte that is not ASCII", "CAF\xc3\x89"),
                                sized("1536, a multiple of 512 but no power of two", "1536"),
                                sized("zero", "0"),
                                sized("a negative size", "-512"),
                                sized("a plus sign", "+512"),
                                sized("hexadecimal", "0x200"),
                                sized("a trailing blank", "512 "),
                                sized("a leading blank", " 512"),
                                sized("larger than 65536", "131072"),
                                sized("2^64 + 512, which wraps to 512", "18446744073709552128"),
                                sized("2^32 + 512, which wraps to 512", "4294967808"),
                                sized("Default with a capital", "Default"),
                                sized("an empty size", ""),
                                partition("a partition larger than the disk", "68157440"),
                                partition("a partition under 1 MiB", "1048575"),
                                partition("a partition too small for FAT32", "16777216"),
                                partition("2^64 + 1 MiB, which wraps to 1 MiB",
                                          "18446744073710600192"),
                                partition("a partition size with a unit", "48M"),
                                partition("a negative partition size", "-48234496"),
                            });
  // clang-format on
}

// Text that is a valid FAT label reaches mkfs.fat as one argument and comes
// back from the drive exactly as typed; nothing in it runs.
TEST_F(ArgumentAttack, LabelsThatLookLikeShellOrOptionsAreWrittenAsTyped) {
  const std::vector<std::pair<QByteArray, const char*>> labels{
      {"$(touch M)", "a shell would have run the label as a command, as root"},
      {"`touch M`", "a shell would have run the label as a command, as root"},
      {"'$HOME'&", "quoting that breaks on an apostrophe lets the rest run"},
      {"--help", "a tool would read the label as an option"},
      {"-F 16", "a tool would read the label as an option and make FAT16"},
  };
  for (const auto& [label, because] : labels) {
    SCOPED_TRACE(label.toStdString() + "\n  because " + because);
    LoopDisk disk;
    ASSERT_TRUE(disk.ready());
    const QString before = disk.hash();
    const HelperRun::Result result =
        HelperRun::run({"format", disk.name().toUtf8(), label, "default"});
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
