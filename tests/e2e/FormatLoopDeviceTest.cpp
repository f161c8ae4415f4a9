#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include "drives/DiskManager.h"
#include "drives/LinuxDiskTools.h"
#include "ui/ContentView.h"

using namespace tessaro;

namespace {

constexpr qint64 kMiB = 1024 * 1024;

struct Ran {
  int status = -1;
  QString output;
};

Ran run(const QStringList& command) {
  QProcess process;
  process.start(command.first(), command.mid(1));
  process.waitForFinished(120000);
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed()};
}

// Formats loop devices over sparse images made here, through the window's own
// workflow body and the built helper, then reads the result back with the
// system's tools. Each test detaches what it attached, also when it fails.
class FormatLoopDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to create and format loop devices";
    ASSERT_TRUE(dir_.isValid());
  }

  void TearDown() override {
    if (!mountpoint_.isEmpty()) run({QStringLiteral("/usr/bin/umount"), mountpoint_});
    if (!loop_.isEmpty()) run({QStringLiteral("/usr/sbin/losetup"), QStringLiteral("-d"), loop_});
  }

  // An ext4 partition (this kernel has no vfat driver) mounted at mountpoint.
  void mountOldPartition(const QString& mountpoint) {
    const QString partition = loop_ + QStringLiteral("p1");
    ASSERT_EQ(run({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                   QStringLiteral("printf 'start=2048, type=83\\n' | /usr/sbin/sfdisk -q ") +
                       loop_ + QStringLiteral(" && /usr/bin/partx -u ") + loop_ +
                       QStringLiteral(" && /usr/sbin/mkfs.ext4 -q ") + partition})
                  .status,
              0);
    ASSERT_EQ(run({QStringLiteral("/usr/bin/mount"), partition, mountpoint}).status, 0);
    mountpoint_ = mountpoint;
  }

  bool isMounted() const {
    return run({QStringLiteral("/usr/bin/findmnt"), QStringLiteral("--source"),
                loop_ + QStringLiteral("p1")})
               .status == 0;
  }

  void attach(qint64 bytes, bool readOnly = false) {
    image_ = dir_.filePath(QStringLiteral("drive.img"));
    QFile file(image_);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write("old data that an erase must not touch when refused");
    ASSERT_TRUE(file.resize(bytes));  // sparse
    file.close();
    size_ = bytes;
    QStringList command{QStringLiteral("/usr/sbin/losetup"), QStringLiteral("-f"),
                        QStringLiteral("--show"), QStringLiteral("-P")};
    if (readOnly) command << QStringLiteral("-r");
    const Ran attached = run(command << image_);
    ASSERT_EQ(attached.status, 0);
    loop_ = attached.output;
    ASSERT_TRUE(loop_.startsWith(QStringLiteral("/dev/loop")));
  }

  Drive drive() const {
    return Drive{QUuid::createUuid(), loop_.mid(5), loop_, QStringLiteral("Test image"),
                 QString(),           false,        size_};
  }

  std::unique_ptr<ContentView> makeView() const {
    auto tools =
        std::make_unique<LinuxDiskTools>(QStringLiteral("/usr/bin/lsblk"), QStringLiteral("/sys"),
                                         QStringLiteral(TESSARO_HELPER_BUILD_PATH));
    return std::make_unique<ContentView>(std::make_unique<DiskManager>(std::move(tools)));
  }

  // What the window's log holds after a format; every queued line included.
  QString format(const QString& name, std::optional<int> clusterBytes) {
    auto view = makeView();
    view->setStatusLog(QStringLiteral("Starting format of ") + loop_ +
                       QStringLiteral(" as FAT32."));
    view->setBusy(true);
    QCoro::waitFor(view->performFormat(drive(), name, clusterBytes));
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->isBusy());
    return view->statusLog();
  }

  QByteArray imageHash() const {
    QFile file(image_);
    file.open(QIODevice::ReadOnly);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
  }

  // The independent read-back: the table, the file system, the boot sector.
  void expectFat32(int clusterBytes) {
    const QString partition = loop_ + QStringLiteral("p1");
    const Ran dump = run({QStringLiteral("/usr/sbin/sfdisk"), QStringLiteral("--dump"), loop_});
    EXPECT_TRUE(dump.output.contains(QStringLiteral("label: dos"))) << dump.output.toStdString();
    EXPECT_EQ(dump.output.count(QStringLiteral(" : start=")), 1);
    EXPECT_TRUE(dump.output.contains(partition + QStringLiteral(" : start=        2048,")));
    EXPECT_TRUE(dump.output.contains(QStringLiteral("type=c")));

    const Ran blkid = run({QStringLiteral("/usr/sbin/blkid"), QStringLiteral("-p"),
                           QStringLiteral("-o"), QStringLiteral("export"), partition});
    EXPECT_TRUE(blkid.output.contains(QStringLiteral("\nTYPE=vfat\n")));
    EXPECT_TRUE(blkid.output.contains(QStringLiteral("\nVERSION=FAT32\n")));
    EXPECT_TRUE(blkid.output.contains(QStringLiteral("\nLABEL=MY\\ USB\n")));

    QFile device(partition);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    const QByteArray boot = device.read(512);
    ASSERT_EQ(boot.size(), 512);
    const int bytesPerSector = uchar(boot[11]) | (uchar(boot[12]) << 8);
    EXPECT_EQ(bytesPerSector * uchar(boot[13]), clusterBytes);

    EXPECT_EQ(run({QStringLiteral("/usr/sbin/fsck.fat"), QStringLiteral("-n"), partition}).status,
              0);
  }

  void expectCompleted(const QString& log) {
    const QStringList lines = log.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.first(),
              QStringLiteral("Starting format of ") + loop_ + QStringLiteral(" as FAT32."));
    EXPECT_EQ(lines.last(), QStringLiteral("Format complete for MY USB on ") + loop_)
        << log.toStdString();
    EXPECT_TRUE(
        log.contains(QStringLiteral("\nVerified: dos table, partition type c at sector 2048")));
    EXPECT_TRUE(log.contains(QStringLiteral("\nmkfs.fat 4.2")));
    EXPECT_FALSE(log.contains(QStringLiteral("@@tessaro-helper-started@@")));
  }

  QTemporaryDir dir_;
  QString mountpoint_;
  QString image_;
  QString loop_;
  qint64 size_ = 0;
};

TEST_F(FormatLoopDeviceTest, DefaultClusterSize) {
  attach(300 * kMiB);
  expectCompleted(format(QStringLiteral("MY USB"), std::nullopt));
  expectFat32(4096);  // mkfs.fat's choice for 260 MiB to 8 GiB
}

TEST_F(FormatLoopDeviceTest, Clusters4096Bytes) {
  attach(300 * kMiB);
  expectCompleted(format(QStringLiteral("MY USB"), 4096));
  expectFat32(4096);
}

TEST_F(FormatLoopDeviceTest, Clusters32768BytesOnA2200MiBDrive) {
  attach(2200 * kMiB);
  expectCompleted(format(QStringLiteral("MY USB"), 32768));
  expectFat32(32768);
}

TEST_F(FormatLoopDeviceTest, PartitionMountedUnderMediaIsUnmountedFirst) {
  attach(300 * kMiB);
  QTemporaryDir media(QStringLiteral("/media/tessaro-e2e-XXXXXX"));
  ASSERT_TRUE(media.isValid());
  mountOldPartition(media.path());
  const QString log = format(QStringLiteral("MY USB"), 4096);
  EXPECT_TRUE(log.contains(QStringLiteral("/usr/bin/umount '") + loop_ + QStringLiteral("p1'")));
  EXPECT_FALSE(isMounted());
  expectCompleted(log);
  expectFat32(4096);
}

TEST_F(FormatLoopDeviceTest, PartitionMountedElsewhereIsRefusedAndStaysMounted) {
  attach(300 * kMiB);
  mountOldPartition(dir_.path());
  const QString log = format(QStringLiteral("MY USB"), 4096);
  EXPECT_TRUE(log.contains(QStringLiteral("\nRefused: ") + loop_ +
                           QStringLiteral(" holds part of the running system")));
  EXPECT_TRUE(log.endsWith(QStringLiteral("(exit status 65)"))) << log.toStdString();
  EXPECT_TRUE(isMounted());
}

TEST_F(FormatLoopDeviceTest, ReadOnlyDriveEndsInTheFailureLine) {
  attach(300 * kMiB, true);
  const QString log = format(QStringLiteral("MY USB"), std::nullopt);
  EXPECT_FALSE(log.contains(QStringLiteral("Format complete")));
  EXPECT_TRUE(log.contains(QStringLiteral("wipefs")));  // the tool's own message, merged in
  EXPECT_TRUE(log.endsWith(QStringLiteral("\nError: Format failed for MY USB on ") + loop_ +
                           QStringLiteral(" (exit status 1)")))
      << log.toStdString();
}

TEST_F(FormatLoopDeviceTest, TooLongNameIsRefusedAndTheDriveIsUnchanged) {
  attach(64 * kMiB);
  const QByteArray before = imageHash();
  const QString log = format(QStringLiteral("MUCH TOO LONG A NAME"), std::nullopt);
  EXPECT_EQ(log.section(QLatin1Char('\n'), 1),
            QStringLiteral("Error: The volume name \"MUCH TOO LONG A NAME\" is 20 characters long; "
                           "FAT32 allows at most 11."));
  EXPECT_EQ(imageHash(), before);
}

TEST_F(FormatLoopDeviceTest, TooLargeClustersAreRefusedByTheHelperToo) {
  attach(300 * kMiB);
  const QByteArray before = imageHash();
  // A drive record that does not know its size leaves the check to the helper.
  size_ = 0;
  const QString log = format(QStringLiteral("MY USB"), 65536);
  EXPECT_TRUE(log.contains(QStringLiteral("\nA cluster size of 65536 bytes gives")));
  EXPECT_TRUE(log.endsWith(QStringLiteral("(exit status 66)"))) << log.toStdString();
  EXPECT_EQ(imageHash(), before);
}

TEST_F(FormatLoopDeviceTest, DeclinedConfirmationChangesNothing) {
  attach(64 * kMiB);
  const QByteArray before = imageHash();
  auto view = makeView();
  view->setSelectedDrive(drive());
  view->setLabel(QStringLiteral("My USB"));
  QString asked;
  view->setConfirmation([&asked](const Drive& d) {
    asked = d.devicePath;
    return false;
  });
  const QString logBefore = view->statusLog();
  view->formatSelectedDrive();
  QCoreApplication::processEvents();
  EXPECT_EQ(asked, loop_);
  EXPECT_EQ(view->statusLog(), logBefore);
  EXPECT_FALSE(view->isBusy());
  EXPECT_EQ(imageHash(), before);
}

}  // namespace
