// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QProgressBar>
#include <QRegularExpression>
#include <QtEndian>

#include "Await.h"
#include "Capability.h"
#include "CounterfeitDrive.h"
#include "DataRows.h"
#include "LoopImage.h"
#include "SystemTool.h"
#include "jobs/BatchJob.h"
#include "jobs/FormatJob.h"

using namespace tessaro;
using test::runProgram;
using test::shown;

namespace {

constexpr qint64 kMiB = 1024 * 1024;

// Formats loop devices over sparse images made here, through the window and
// the built helper, then reads the result back with the system's tools.
class FormatLoopDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
  }
  // The log's account, then an independent read-back: the table, the file
  // system, the boot sector (flash media write in 4 MiB units: cluster 2
  // starts on such a boundary of the disk), and a file written and read back
  // through mtools.
  void expectFormatted(const QString& log, int clusterBytes, int sectorBytes = 512) {
    const QString partition = loop_->partitionPath();
    // The partition starts 1 MiB in, counted in the disk's own sectors.
    const qint64 start = kMiB / sectorBytes;
    EXPECT_TRUE(log.endsWith("\nFormat complete for MY USB on " + loop_->devicePath()))
        << log.toStdString();
    EXPECT_TRUE(log.contains("\nVerified: dos table, partition type c at sector " +
                             QString::number(start) + ";"))
        << log.toStdString();
    // Through the window, the helper's progress by step moved its bar to its end.
    if (lastProgress_ >= 0) EXPECT_EQ(lastProgress_, 100);
    const QString dump = runProgram("sfdisk", {"--dump", loop_->devicePath()}).second;
    EXPECT_TRUE(dump.startsWith("label: dos") && dump.count(" : start=") == 1)
        << dump.toStdString();
    EXPECT_TRUE(dump.contains(partition + QStringLiteral(" : start=%1,").arg(start, 12)) &&
                dump.contains("type=c"))
        << dump.toStdString();
    const QString blkid = runProgram("blkid", {"-p", "-o", "export", partition}).second;
    for (const char* field : {"\nTYPE=vfat\n", "\nVERSION=FAT32\n", "\nLABEL=MY\\ USB\n"}) {
      EXPECT_TRUE(blkid.contains(field)) << blkid.toStdString();
    }
    QFile device(partition);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    const QByteArray boot = device.read(512);
    ASSERT_EQ(boot.size(), 512);
    EXPECT_EQ(sectorBytes * uchar(boot[13]), clusterBytes);
    EXPECT_EQ(sectorBytes, uchar(boot[11]) | uchar(boot[12]) << 8);
    // The hidden sectors say where the partition starts, as the read-back checked.
    EXPECT_EQ(qFromLittleEndian<quint32>(boot.constData() + 28), start);
    const auto word = [&](int at) { return qFromLittleEndian<quint16>(boot.constData() + at); };
    const qint64 fatSectors = qFromLittleEndian<quint32>(boot.constData() + 36);
    EXPECT_EQ((start + word(14) + uchar(boot[16]) * fatSectors) * sectorBytes % (4 * kMiB), 0);
    EXPECT_EQ(runProgram("fsck.fat", {"-n", partition}).first, 0);

    const QString file = loop_->imagePath() + ".txt", back = loop_->imagePath() + ".back";
    const QByteArray text = QByteArray("written through mtools\n").repeated(5000);
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::WriteOnly) && written.write(text) == text.size());
    written.close();
    const QString target = "::/Long name for a file.txt";
    EXPECT_EQ(runProgram("mcopy", {"-i", partition, file, target}).first, 0);
    EXPECT_EQ(runProgram("mcopy", {"-i", partition, target, back}).first, 0);
    QFile copy(back);
    EXPECT_TRUE(copy.open(QIODevice::ReadOnly) && copy.readAll() == text);
    EXPECT_EQ(runProgram("fsck.fat", {"-n", partition}).first, 0);
  }

  int lastProgress_ = -1;
  std::optional<test::LoopDisk> loop_;
  std::optional<test::Mount> media_;  // unmounted before the loop device goes
  test::LoopWindow window_;
};

// Each row of FormatLoopDevice/formats.rows: one format of a new loop device,
// through the window or tessaro-cli, and its read-back.
TEST_F(FormatLoopDeviceTest, EachRowFormatsAndReadsBack) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/FormatLoopDevice/formats.rows");
  ASSERT_GE(rows.size(), 6);
  for (const test::DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 6) << row.where.toStdString();
    SCOPED_TRACE(row.where.toStdString() + ": " + row.fields[0].toStdString());
    const qint64 bytes = row.fields[1].toLongLong() * kMiB;
    const int sectorBytes = row.fields[2].toInt();
    const QStringList through = test::textsOf(test::wordsOf(row.fields[3]));
    media_.reset();
    loop_.reset();
    lastProgress_ = -1;
    // The old partition, ext4 as this kernel has no vfat driver, is mounted where
    // the desktop mounts removable drives: the format unmounts it first.
    const bool oldPartitionMounted = through[0] == "window-mounted";
    ASSERT_TRUE(loop_.emplace(test::LoopDisk::Options{
                                  .bytes = bytes, .blank = !oldPartitionMounted, .sectorBytes = sectorBytes})
                    .ready());
    const QString disk = loop_->devicePath(), partition = loop_->partitionPath();
    if (oldPartitionMounted) {
      ASSERT_TRUE(test::makeExt4(partition));
      ASSERT_TRUE(media_.emplace(partition, "ext4", QStringList(), "/media").mounted());
    }
    QString log;
    if (through[0] != "cli") {
      const auto cluster = ClusterOption::fromRawValue(through.value(1).toStdString());
      ASSERT_TRUE(cluster) << through.value(1).toStdString();
      // The helper's progress by step moves the window's progress bar.
      lastProgress_ = 0;
      if (auto* bar = window_.view.findChild<QProgressBar*>("probeProgress"))
        QObject::connect(bar, &QProgressBar::valueChanged,
                         [this](int value) { lastProgress_ = value; });
      log = window_.format(disk, bytes, *cluster);
    } else {
      const test::CliRun run = test::runCli(QStringList{"format", disk.mid(5)} + through.mid(1));
      EXPECT_EQ(run.status, 0) << shown(run);
      EXPECT_TRUE(run.out.startsWith("Starting format of " + disk + " as FAT32.\n")) << shown(run);
      log = run.out.trimmed();
    }
    if (oldPartitionMounted) {
      EXPECT_TRUE(log.contains("\n$ /usr/bin/umount --all-targets " + partition + "\n"))
          << log.toStdString();
      EXPECT_NE(runProgram("findmnt", {"--source", partition}).first, 0);
    }
    expectFormatted(log, row.fields[4].toInt(), sectorBytes);
    if (row.fields[5] != "-") {
      const QString sysfs = "/sys/class/block/" + partition.mid(5);
      EXPECT_EQ(runProgram("cat", {sysfs + "/start"}).second, "2048") << "in 512-byte units";
      EXPECT_EQ(runProgram("cat", {sysfs + "/size"}).second, QString::fromUtf8(row.fields[5]));
    }
  }
}

}  // namespace

namespace {

// What one drive of a batch told; pulls the drive when mkfs.fat begins on it.
class PullingReport : public Report {
 public:
  explicit PullingReport(std::function<void()> onMkfs = {}) : onMkfs_(std::move(onMkfs)) {}
  void started(const QString&) override {}
  void lines(const QStringList& lines) override {
    told += lines;
    if (onMkfs_ && !lines.filter(QRegularExpression("^\\$ \\S*mkfs\\.fat ")).isEmpty())
      std::exchange(onMkfs_, {})();
  }
  void succeeded(const QString& line) override { outcome = line; }
  void failed(const QString& line) override { outcome = line; }
  void cancelled(const QString& line) override { outcome = line; }
  void finished() override {}

  QString outcome;
  QStringList told;

 private:
  std::function<void()> onMkfs_;
};

}  // namespace

// A batch of five drives in one run of the helper, one of them pulled out
// when mkfs.fat begins on it and one read-only: the three others are
// formatted and read back, each told only of its own drive, the pulled one
// fails and says it was written, the read-only one is refused before anything
// runs on it, and it and a drive outside the batch keep every byte.
TEST_F(FormatLoopDeviceTest, ABatchGoesOnWhenOneDriveIsPulledDuringMkfs) {
  if (const std::string why = test::missingFuse(); !why.empty()) GTEST_SKIP() << why;
  std::array<test::LoopImage, 3> kept{test::LoopImage(300 * kMiB), test::LoopImage(300 * kMiB),
                                      test::LoopImage(300 * kMiB)};
  // Slow enough that mkfs.fat is still writing when the pull lands.
  test::CounterfeitDrive pulled("genuine", 300 * kMiB, 0, {"--delay-us", "3000"});
  const test::LoopDisk outside, readOnly({.readOnly = true});
  ASSERT_FALSE(pulled.device().isEmpty()) << pulled.failure().toStdString();
  ASSERT_TRUE(outside.ready() && readOnly.ready());
  const QString outsideBefore = outside.hash(), readOnlyBefore = readOnly.hash();

  DiskManager manager(
      std::make_unique<LinuxDiskTools>("/usr/bin/lsblk", "/sys", TESSARO_HELPER_BUILD_PATH));
  BatchJob batch(manager.runner(), manager.tools().runsBatches());
  std::array<PullingReport, 5> reports{PullingReport(), PullingReport(), PullingReport(),
                                       PullingReport([&pulled] { pulled.pull(); }),
                                       PullingReport()};
  QStringList devices;
  for (const auto& image : kept) devices << image.device();
  devices << pulled.device() << readOnly.devicePath();
  for (int i = 0; i < 5; ++i) {
    ASSERT_FALSE(devices[i].isEmpty());
    const Drive drive{{}, devices[i].mid(5), devices[i], "Batch disk", {}, false, 300 * kMiB};
    batch.add(
        [&](ProcessRunner& runner) {
          return std::make_unique<FormatJob>(manager.tools(), runner,
                                             FormatRequest{drive, "MY USB", std::nullopt});
        },
        reports[size_t(i)]);
  }
  EXPECT_EQ(test::awaitTask(batch.run()), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(reports[size_t(i)].outcome, "Format complete for MY USB on " + devices[i]);
    EXPECT_EQ(kept[size_t(i)].fatLabel(), "FAT32 MY USB");
    EXPECT_EQ(runProgram("fsck.fat", {"-n", kept[size_t(i)].partitionPath()}).first, 0);
    const QRegularExpression own(devices[i] + "(p[0-9]+)?( |$)");
    const QStringList commands = reports[size_t(i)].told.filter(QRegularExpression("^\\$ "));
    EXPECT_FALSE(commands.filter("mkfs.fat").isEmpty());
    EXPECT_EQ(commands.filter(own), commands) << "a command for another drive";
  }
  ASSERT_TRUE(batch.job(4).failure());
  EXPECT_EQ(batch.job(4).failure()->kind, JobFailure::Kind::refused);
  EXPECT_FALSE(batch.job(4).failure()->written);
  EXPECT_EQ(reports[4].told.filter(QRegularExpression("^\\$ ")), QStringList());
  EXPECT_EQ(readOnly.hash(), readOnlyBefore);
  const std::optional<JobFailure>& failure = batch.job(3).failure();
  ASSERT_TRUE(failure) << reports[3].outcome.toStdString();
  EXPECT_TRUE(failure->written) << reports[3].outcome.toStdString();
  EXPECT_TRUE(reports[3].outcome.startsWith("Error: ")) << reports[3].outcome.toStdString();
  EXPECT_EQ(reports[3].told.filter(" may be left incomplete").size(), 1)
      << reports[3].told.join('\n').toStdString();
  EXPECT_EQ(outside.hash(), outsideBefore);
}
