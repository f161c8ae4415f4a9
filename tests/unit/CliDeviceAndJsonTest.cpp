// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "DataRows.h"
#include "cli/DeviceArgument.h"
#include "cli/PlainText.h"
#include "cli/TerminalConfirmation.h"

using namespace tessaro;

TEST(DeviceArgument, TakesAKernelNameOrItsDevicePathOnly) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/DeviceNames/device-arguments.rows", "\t");
  for (const test::DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 3) << row.where.toStdString();
    const std::optional<QString> name =
        DeviceArgument::kernelName(QString::fromUtf8(test::unescaped(row.fields[0])));
    EXPECT_EQ(name.value_or("refused"), QString::fromUtf8(row.fields[1]))
        << row.where.toStdString();
  }
  EXPECT_GT(rows.size(), 0);
}

TEST(DeviceArgument, LoopDevicesWithAnImageBecomeDrives) {
  for (const char* name : {"loop0", "loop17"}) EXPECT_TRUE(DeviceArgument::isLoopDevice(name));
  for (const char* name : {"loop", "loop1p1", "loopy", "sdloop1", "loop0000000001"})
    EXPECT_FALSE(DeviceArgument::isLoopDevice(name)) << name;

  QTemporaryDir sysfs;
  const auto writeSize = [&](const QString& name, const QByteArray& size) {
    QDir().mkpath(sysfs.filePath("class/block/" + name));
    QFile file(sysfs.filePath("class/block/" + name + "/size"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(size);
  };
  writeSize("loop3", "1433600\n");
  writeSize("loop4", "0\n");
  writeSize("loop5", "garbage");
  writeSize("loop6", "99999999999999999999\n");
  writeSize("sdz", "1433600\n");

  const auto drive = DeviceArgument::attachedLoopDrive("loop3", sysfs.path());
  ASSERT_TRUE(drive);
  EXPECT_EQ(drive->bsdName, "loop3");
  EXPECT_EQ(drive->devicePath, "/dev/loop3");
  EXPECT_EQ(drive->size, 734003200);
  EXPECT_EQ(drive->description, "734 MB (loop3)");
  for (const char* refused : {"loop4", "loop5", "loop6", "loop9", "sdz"})
    EXPECT_FALSE(DeviceArgument::attachedLoopDrive(refused, sysfs.path())) << refused;
}

// What a pipe or a file gets (PlainText/lines.rows).
TEST(PlainText, DropsEmojiAndSymbolsKeepsWords) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/PlainText/lines.rows");
  ASSERT_GT(rows.size(), 5);
  for (const test::DataRow& row : rows) {
    const QStringList texts = test::textsOf(row.fields);
    EXPECT_EQ(PlainText::of(texts.value(0)), texts.value(1)) << row.where.toStdString();
  }
}

TEST(TerminalConfirmation, OnlyTheDrivesNameConfirmsWhatThePromptNames) {
  const Drive drive{QUuid::createUuid(), "sdb", "/dev/sdb", "32 GB Ultra (sdb)", "Ultra", false,
                    32'000'000'000};
  for (const char* yes : {"sdb", "/dev/sdb", "  sdb\n", "sdb\r\n"})
    EXPECT_TRUE(TerminalConfirmation::confirms(yes, drive)) << yes;
  for (const char* no :
       {"", "\n", "y", "yes", "YES", "sdc", "sd", "sdb1", "SDB", "/dev/sdc", "sdb sdb", "dev/sdb"})
    EXPECT_FALSE(TerminalConfirmation::confirms(no, drive)) << no;
  // What the window's question says, in the same words: the drive once, the
  // name as written, the cluster size the default stands for, the partition.
  const QString format = TerminalConfirmation::formatPrompt({drive, "MY USB", {}, {}});
  EXPECT_EQ(
      format.split('\n'),
      QStringList({"Erase 32 GB Ultra (/dev/sdb)?",
                   "All data on this drive will be erased. This cannot be undone.",
                   "  Volume name: MY USB", "  Cluster size: 16 KiB, the default for this drive",
                   "  Partition: one FAT32 partition over the whole drive",
                   "Type sdb to erase it: "}));
  const QString probe = TerminalConfirmation::probePrompt(drive);
  EXPECT_TRUE(
      probe.startsWith("Test the capacity of 32 GB Ultra (/dev/sdb)?\nThe capacity test "
                       "writes test data across the whole drive, erasing all data on it."))
      << probe.toStdString();
  EXPECT_TRUE(probe.endsWith("\nType sdb to erase it and test its capacity: "));

  // Standard input that is not a terminal is never read.
  FILE* notATerminal = tmpfile();
  std::fputs("sdb\n", notATerminal);
  std::rewind(notATerminal);
  EXPECT_EQ(TerminalConfirmation::ask(format, drive, notATerminal, stderr),
            ConfirmationAnswer::NoTerminal);
  std::fclose(notATerminal);
}
