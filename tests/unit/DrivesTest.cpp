// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The drives: how they are listed, named and followed, which partition a
// check looks at, and what a workflow asks before it erases one.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include "Await.h"
#include "DataRows.h"
#include "drives/ByteCount.h"
#include "drives/DiskManager.h"
#include "drives/DriveSelection.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/mac/MacDiskTools.h"
#include "drives/mac/PropertyList.h"
#include "exec/Error.h"
#include "jobs/WorkflowPolicy.h"

using namespace tessaro;
using tessaro::test::awaitTask;

namespace {

constexpr qint64 GB = 1'000'000'000;

TEST(ByteCount, DecimalUnitsWithFewDecimals) {
  // clang-format off
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "0 B"}, {1, "1 B"}, {999, "999 B"}, {1499, "1 KB"}, {1500, "2 KB"},
      {999'999, "1 MB"}, {1'500'000, "1.5 MB"}, {15'758'000'000, "15.76 GB"},
      {32'000'000'000, "32 GB"}, {999'999'999'999, "1 TB"}, {-1500, "-2 KB"}};
  // clang-format on
  for (const auto& [bytes, text] : cases) EXPECT_EQ(formatByteCount(bytes), text) << bytes;
}

TEST(DriveSelection, FollowsTheSameDriveOnly) {
  const auto driveOf = [](const QString& text) {
    const QStringList words = text.split(' ');
    return Drive{QUuid::createUuid(),  words[0], "/dev/" + words[0], text, words[1], false,
                 words[2].toLongLong()};
  };
  const auto rows = test::readDataRows(TESSARO_FIXTURES_DIR "/DiskManager/selection.rows");
  ASSERT_GT(rows.size(), 8);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    const QStringList fields = test::textsOf(row.fields);
    const std::optional<Drive> previous =
        fields[0] == "-" ? std::nullopt : std::optional(driveOf(fields[0]));
    QList<Drive> drives;
    for (const QString& drive : fields[1].split(", ", Qt::SkipEmptyParts)) drives << driveOf(drive);
    const QStringList removed = fields[2] == "-" ? QStringList() : fields[2].split(' ');
    const DriveSelection next =
        DriveSelection::follow(previous, drives, QSet<QString>(removed.begin(), removed.end()));
    EXPECT_EQ(next.selected ? next.selected->bsdName : "-", fields[3]);
    if (next.selected) EXPECT_TRUE(drives.contains(*next.selected)) << "a record of the list";
    EXPECT_EQ(next.removed.has_value(), fields[4] == "removed");
    if (next.removed) EXPECT_EQ(next.removed, previous);
  }
}

// A diskutil list of one disk, disk7, with these partitions (none when invalid).
QString macList(const QVariant& partitions) {
  QVariantMap disk{{"DeviceIdentifier", "disk7"}};
  if (partitions.isValid()) disk["Partitions"] = partitions;
  return writeXmlPropertyList(QVariantMap{{"AllDisksAndPartitions", QVariantList{disk}}});
}

template <typename Call>
QString errorOf(Call call) {
  try {
    call();
  } catch (const Error& error) {
    return error.domain() + ' ' + QString::number(error.code()) + ' ' + error.description();
  }
  return "no error";
}
const QString kNoIdentifier = "DiskManager 2 No partition identifier found";

TEST(PartitionLookup, MacFirstPartitionWhateverItsKindElseTheDiskAndS1) {
  const auto rows = test::readDataRows(TESSARO_FIXTURES_DIR "/diskutil/first-partition.rows");
  ASSERT_GT(rows.size(), 6);
  for (const test::DataRow& row : rows) {
    QVariantList partitions;
    for (const QString& partition : QString::fromUtf8(row.fields[0]).split(" ; "))
      if (partition != "\"\"") partitions << test::propertiesOf(partition.toUtf8());
    EXPECT_EQ(MacDiskTools().parseFirstPartition(
                  macList(row.fields[0] == "-" ? QVariant() : QVariant(partitions)), "disk7"),
              QString::fromUtf8(row.fields[1]))
        << row.where.toStdString();
  }
  const QString noDisks =
      writeXmlPropertyList(QVariantMap{{"AllDisksAndPartitions", QVariantList()}});
  EXPECT_EQ(errorOf([&] { MacDiskTools().parseFirstPartition(noDisks, "disk4"); }), kNoIdentifier);
  const QString hostileDisk = writeXmlPropertyList(
      QVariantMap{{"AllDisksAndPartitions",
                   QVariantList{QVariantMap{{"DeviceIdentifier", "disk4 /dev/disk0"}}}}});
  EXPECT_EQ(errorOf([&] { MacDiskTools().parseFirstPartition(hostileDisk, "disk4"); }),
            kNoIdentifier);
  EXPECT_EQ(MacDiskTools().parseDiskList(hostileDisk), QStringList());
  EXPECT_THROW(MacDiskTools().parseFirstPartition("Could not find disk: /dev/disk9", "disk9"),
               Error);
}

TEST(PartitionLookup, LinuxFirstPartitionElseTheWholeDisk) {
  const auto rows = test::readDataRows(TESSARO_FIXTURES_DIR "/lsblk/first-partition.rows");
  ASSERT_GT(rows.size(), 3);
  for (const test::DataRow& row : rows) {
    const QString json = QString(R"({"blockdevices":[%1]})").arg(QString::fromUtf8(row.fields[0]));
    EXPECT_EQ(LinuxDiskTools().parseFirstPartition(json, "sdb"), QString::fromUtf8(row.fields[1]))
        << row.where.toStdString();
  }
  EXPECT_EQ(errorOf([] { LinuxDiskTools().parseFirstPartition(R"({"blockdevices":[]})", "sdb"); }),
            kNoIdentifier);
  EXPECT_THROW(LinuxDiskTools().parseFirstPartition("lsblk: /dev/sdz: not a block device", "sdz"),
               Error);
}
QString fixture(const QString& relative) { return TESSARO_FIXTURES_DIR "/" + relative; }

// The fake tools note the arguments of every call in $TESSARO_FAKE_TOOL_LOG.
struct ToolLog {
  QTemporaryDir dir;
  QString path = dir.filePath("calls");
  ToolLog() { qputenv("TESSARO_FAKE_TOOL_LOG", path.toUtf8()); }
  ~ToolLog() { qunsetenv("TESSARO_FAKE_TOOL_LOG"); }
  QByteArrayList calls() const { return test::readDataLines(path); }
  // The device of each info call, in order.
  QStringList queried() const {
    QStringList devices;
    for (const QByteArray& line : calls())
      if (line.contains("/dev/")) devices << QString(line).section(' ', -1);
    return devices;
  }
};

// The tools of a fixture machine, "<tool>/<machine>"; on Linux with a
// laptop's sysfs, whose card reader holds an SD card.
std::unique_ptr<DiskTools> toolsFor(const QString& machine) {
  const QString tool = machine.section('/', 0, 0);
  const QString path = fixture(machine + '/' + tool);
  if (tool == "lsblk") return std::make_unique<LinuxDiskTools>(path, fixture("sysfs"));
  return std::make_unique<MacDiskTools>(path);
}

QStringList descriptions(const DiskManager& manager) {
  QStringList result;
  for (const Drive& drive : manager.drives()) result << drive.description;
  return result;
}

// Each row: a machine (its tools' fixtures, "<tool>/<machine>"), the drives
// listed, the disks whose info was asked for, and what a check or report
// looks at as the list just read tells it.
TEST(DiskManagerRefresh, ListsExternalDisksInOrderWithoutQueryingSystemDisks) {
  const QList<test::DataRow> rows = test::readDataRows(fixture("DiskManager/machines.rows"));
  ASSERT_GT(rows.size(), 6);
  for (const test::DataRow& row : rows) {
    const QStringList texts = test::textsOf(row.fields);
    SCOPED_TRACE(row.where.toStdString());
    ASSERT_GE(texts.size(), 3);
    ToolLog log;
    DiskManager manager(toolsFor(texts[0]));
    int changes = 0;
    QObject::connect(&manager, &DiskManager::drivesChanged, [&] { ++changes; });
    awaitTask(manager.refresh());
    EXPECT_EQ(descriptions(manager).join(", "), texts[1]);
    EXPECT_EQ(log.queried().join(' '), texts[2]);
    EXPECT_EQ(changes, 1);
    for (const QString& listed : texts.value(3).split(' ', Qt::SkipEmptyParts))
      EXPECT_EQ(manager.listedPartition(listed.section('=', 0, 0)).value_or("-").toStdString(),
                listed.section('=', 1).toStdString());
  }
}

// A list begun ahead is the next refresh's: lsblk runs once, and the
// refresh after it lists anew.
TEST(DiskManagerRefresh, ARefreshTakesTheListBegunAheadOnce) {
  ToolLog log;
  DiskManager manager(toolsFor("lsblk/laptop"));
  manager.beginRefresh();
  EXPECT_TRUE(manager.waitForBegunRefresh(std::chrono::seconds(10)));
  EXPECT_EQ(log.calls().size(), 1);
  awaitTask(manager.refresh());
  EXPECT_EQ(manager.drives().size(), 3);
  EXPECT_EQ(log.calls().size(), 1);
  awaitTask(manager.refresh());
  EXPECT_EQ(log.calls().size(), 2);

  // A cancel reaches a begun list that is still running (this one takes 30 s).
  qputenv("TESSARO_UI_DELAY", "30");
  DiskManager slow(std::make_unique<LinuxDiskTools>(fixture("ui/lsblk"), fixture("ui/sysfs")));
  slow.beginRefresh();
  auto cancel = std::make_shared<Cancellation>();
  QTimer::singleShot(100, [cancel] { cancel->cancel(); });
  QElapsedTimer clock;
  clock.start();
  try {
    awaitTask(slow.refresh(cancel));
    ADD_FAILURE() << "the cancelled refresh ended";
  } catch (const std::exception& error) {
    EXPECT_TRUE(isCancellation(error)) << error.what();
  }
  EXPECT_LT(clock.elapsed(), 10'000);
  qunsetenv("TESSARO_UI_DELAY");
}

Drive driveOf(qint64 bytes) {
  Drive drive;
  drive.bsdName = "sdx";
  drive.devicePath = "/dev/sdx";
  drive.size = bytes;
  return drive;
}

// A capacity test's result: every sample intact, or data only in the first usable bytes.
ProbeResult tested(qint64 claimed, std::optional<qint64> usable = std::nullopt,
                   ProbeResult::Verdict verdict = ProbeResult::Verdict::counterfeit) {
  ProbeResult result;
  result.claimedBytes = quint64(claimed);
  result.usableBytes = quint64(usable.value_or(claimed));
  if (usable) {
    result.verdict = verdict;
    if (verdict == ProbeResult::Verdict::counterfeit) result.firstBadOffset = quint64(*usable);
    if (verdict == ProbeResult::Verdict::damaged)
      result.badRegions = {{quint64(*usable), quint64(*usable) + 4096}};
  }
  return result;
}

// Only what will not be refused is confirmed; a refused request erases nothing.
TEST(WorkflowPolicy, AsksOnlyBeforeWorkThatWillErase) {
  const LinuxDiskTools linuxTools("/nonexistent/lsblk", "/nonexistent");
  const WorkflowPolicy policy(linuxTools);
  // Which requests are refused: FormatValidationTest, the refused rows of
  // Probe/format-after-test.rows and CliEndToEnd/cases.rows.
  EXPECT_TRUE(policy.asksBeforeFormat({driveOf(16 * GB), "UNTITLED", {}}));
  EXPECT_FALSE(policy.asksBeforeFormat({driveOf(16 * GB), "A*B", {}})) << "a name mkfs.fat refuses";

  EXPECT_TRUE(policy.asksBeforeCapacityTest(driveOf(16 * GB)));
  // Where there is no capacity test it erases nothing; the job says so.
  const MacDiskTools mac;
  EXPECT_FALSE(WorkflowPolicy(mac).asksBeforeCapacityTest(driveOf(16 * GB)));
}

// After a capacity test: the whole drive when it held everything, else only
// what holds data, in a size the format accepts; refused when too small.
TEST(WorkflowPolicy, OffersTheFormatThatMakesATestedDriveUsable) {
  const LinuxDiskTools linuxTools("/nonexistent/lsblk", "/nonexistent");
  const WorkflowPolicy policy(linuxTools);
  using Verdict = ProbeResult::Verdict;
  const auto rows = test::readDataRows(TESSARO_FIXTURES_DIR "/Probe/format-after-test.rows");
  ASSERT_GT(rows.size(), 4);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    const QStringList fields = test::textsOf(row.fields);
    const auto bytes = [](const QString& field) {
      return field == "-" ? std::nullopt : std::optional(field.toLongLong());
    };
    const Drive drive = driveOf(fields[0].toLongLong());
    const auto offer = policy.formatAfterTest(
        drive,
        tested(drive.size, bytes(fields[2]),
               fields[1] == "damaged" ? Verdict::damaged : Verdict::counterfeit),
        "stick", 4096);
    EXPECT_FALSE(offer.unusable);
    EXPECT_EQ(offer.request.drive, drive);
    EXPECT_EQ(offer.request.volumeName, "STICK");
    EXPECT_EQ(offer.request.clusterBytes, 4096);
    EXPECT_EQ(offer.request.partitionBytes, bytes(fields[3]));
    EXPECT_EQ(offer.withinHeldData, fields[2] != "-");
    EXPECT_EQ(offer.refusal.has_value(), fields[4] == "refused");
  }
  // A drive that refused writes or stopped storing them is offered none.
  EXPECT_TRUE(policy.formatAfterTest(driveOf(16 * GB), tested(16 * GB, 0, Verdict::failed), {}, {})
                  .unusable);
  // The command line offers it with the default name and cluster size.
  const auto plain = policy.formatAfterTest(driveOf(16 * GB), tested(16 * GB), {}, std::nullopt);
  EXPECT_EQ(plain.request.volumeName, "UNTITLED");
  EXPECT_EQ(plain.request.clusterBytes, std::nullopt);
}

}  // namespace
