// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "cli/DeviceArgument.h"
#include "cli/DriveJson.h"
#include "cli/TerminalConfirmation.h"

using namespace tessaro;

TEST(DeviceArgument, TakesAKernelNameOrItsDevicePathOnly) {
  const QList<std::pair<QString, QString>> accepted{
      {"sdb", "sdb"},         {"/dev/sdb", "sdb"},       {"mmcblk0", "mmcblk0"},
      {"nvme0n1", "nvme0n1"}, {"/dev/loop12", "loop12"},
  };
  for (const auto& [argument, name] : accepted)
    EXPECT_EQ(DeviceArgument::kernelName(argument), name) << argument.toStdString();

  for (const char* hostile :
       {"", "/dev/", "dev/sdb", "/dev//sdb", "/dev/../sdb", "../sdb", "/tmp/sdb", "sdb/",
        "/dev/disk/by-id/usb-x", "sd b", "sdb\n", "sdb;rm", "-sdb", "SDB", "/DEV/sdb",
        "/dev/sdb/../sda", "sdb\u00e9", "a23456789012345678901234567890123"}) {
    EXPECT_FALSE(DeviceArgument::kernelName(hostile)) << hostile;
  }
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

TEST(DriveJson, ListsTheDriveFieldsWithTheSizeInBytes) {
  const Drive ultra{QUuid("{12345678-1234-1234-1234-123456789abc}"),
                    "sdb",
                    "/dev/sdb",
                    "32 GB Ultra \"Fit\" (sdb)",
                    "Ultra \"Fit\"",
                    false,
                    32000000000};
  const Drive huge{QUuid::createUuid(), "sdc", "/dev/sdc", "4 TB (sdc)", "", false, 4000787030016};
  const QJsonDocument document = QJsonDocument::fromJson(DriveJson::array({ultra, huge}));
  ASSERT_TRUE(document.isArray());
  const QJsonArray list = document.array();
  ASSERT_EQ(list.size(), 2);
  const QByteArray expected =
      "{\"id\": \"12345678-1234-1234-1234-123456789abc\", \"bsdName\": \"sdb\", \"devicePath\": "
      "\"/dev/sdb\", \"description\": \"32 GB Ultra \\\"Fit\\\" (sdb)\", \"model\": \"Ultra "
      "\\\"Fit\\\"\", \"size\": 32000000000}";
  EXPECT_EQ(list.at(0).toObject(), QJsonDocument::fromJson(expected).object());
  EXPECT_EQ(list.at(1).toObject()["size"].toInteger(), 4000787030016);
  EXPECT_EQ(list.at(1).toObject()["model"].toString(), "");
  EXPECT_EQ(QJsonDocument::fromJson(DriveJson::array({})).array().size(), 0);
}

TEST(TerminalConfirmation, OnlyTheDrivesNameConfirms) {
  const Drive drive{QUuid::createUuid(), "sdb", "/dev/sdb", "32 GB Ultra (sdb)", "Ultra"};
  for (const char* yes : {"sdb", "/dev/sdb", "  sdb\n", "sdb\r\n"})
    EXPECT_TRUE(TerminalConfirmation::confirms(yes, drive)) << yes;
  for (const char* no :
       {"", "\n", "y", "yes", "YES", "sdc", "sd", "sdb1", "SDB", "/dev/sdc", "sdb sdb", "dev/sdb"})
    EXPECT_FALSE(TerminalConfirmation::confirms(no, drive)) << no;
  EXPECT_TRUE(
      TerminalConfirmation::prompt(drive).startsWith("Erase 32 GB Ultra (sdb) (/dev/sdb)?"));
  EXPECT_TRUE(TerminalConfirmation::prompt(drive).endsWith("Type sdb to erase it: "));

  // Standard input that is not a terminal is never read.
  FILE* notATerminal = tmpfile();
  std::fputs("sdb\n", notATerminal);
  std::rewind(notATerminal);
  EXPECT_EQ(TerminalConfirmation::ask(drive, notATerminal, stderr), ConfirmationAnswer::NoTerminal);
  std::fclose(notATerminal);
}
