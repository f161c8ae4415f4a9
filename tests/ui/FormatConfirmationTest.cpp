// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "ViewFixture.h"
#include "contract/HelperEvent.h"
#include "exec/PkexecRunner.h"
#include "ui/BatchDialog.h"
#include "ui/EraseConfirmation.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {
Drive stick(qint64 bytes, const QString& model = "Example Stick") {
  return {QUuid::createUuid(), "sdz", "/dev/sdz", "(sdz)", model, false, bytes};
}

// Red, and dark enough for its white title to read (4.5:1 or more).
bool isRed(const QColor& colour) {
  return colour.red() > 150 && colour.red() < 200 && colour.green() < 80 && colour.blue() < 90;
}
}  // namespace

// The drive named once, what the format writes, the default named with its
// size, the button that erases in red, and Cancel the default.
TEST(FormatConfirmationTest, DialogNamesTheDriveAndWhatIsWrittenAndDefaultsToCancel) {
  const auto view = viewWithoutHelper(stick(32'000'000'000));
  view->setLabel("My USB");
  Question asked = questionAfter([&] { view->formatSelectedDrive(); });
  EXPECT_EQ(asked.text,
            "Erase 32 GB Example Stick (/dev/sdz)? All data on this drive will be erased. This "
            "cannot be undone.\n\nVolume name: MY USB\nCluster size: 16 KiB, the default for this "
            "drive\nPartition: one FAT32 partition over the whole drive");
  EXPECT_EQ(asked.defaultButton, "Cancel");
  EXPECT_TRUE(isRed(asked.destructiveBody)) << asked.destructiveBody.name().toStdString();
  view->setCluster(ClusterOption::C32768);
  asked = questionAfter([&] { view->formatSelectedDrive(); });
  EXPECT_TRUE(asked.text.contains("\nCluster size: 32 KiB\n")) << asked.text.toStdString();
  EXPECT_EQ(view->statusLog(), ContentView::welcomeText());
  EXPECT_FALSE(view->isBusy());
}

// Beyond what an MBR partition can address, the dialog says in one statement
// what is made; a disk of exactly 2 TiB loses one sector, which is no news.
TEST(FormatConfirmationTest, TheMbrLimitIsPartOfThePartitionLine) {
  const qint64 tib = 1LL << 40;
  const std::pair<qint64, const char*> rows[] = {
      {3 * tib,
       "Partition: one FAT32 partition over the first 2.2 TB of the drive's 3.3 TB, as far as "
       "an MBR partition table can address; the rest stays unused"},
      {2 * tib, "Partition: one FAT32 partition over the whole drive"},
      {2 * tib + 999'000, "Partition: one FAT32 partition over the whole drive"},
  };
  for (const auto& [bytes, partition] : rows) {
    const auto view = viewWithoutHelper(stick(bytes, "Portable"));
    const Question asked = questionAfter([&] { view->formatSelectedDrive(); });
    EXPECT_TRUE(asked.text.endsWith(QString("\n") + partition)) << asked.text.toStdString();
    EXPECT_EQ(asked.text.count("Partition:"), 1);
    EXPECT_FALSE(asked.text.contains("Only the first")) << asked.text.toStdString();
  }
}

TEST(FormatConfirmationTest, TheCapacityTestSaysItErasesTheDrive) {
  const auto view = viewWithoutHelper(stick(32'000'000'000));
  const Question asked = questionAfter([&] { view->probeSelectedDrive(); });
  EXPECT_TRUE(
      asked.text.startsWith("Test the capacity of 32 GB Example Stick (/dev/sdz)? The "
                            "capacity test writes test data across the whole drive, "
                            "erasing all data on it."))
      << asked.text.toStdString();
  EXPECT_EQ(asked.defaultButton, "Cancel");
  EXPECT_TRUE(isRed(asked.destructiveBody)) << asked.destructiveBody.name().toStdString();
}

// Several drives at once: ticked with the keyboard, one question that lists
// them all, then a row each with its own result, and every line of the log
// after the title names its drive. One drive's Stop stops that drive alone.
// The stand-in for pkexec and the helper's batch says a format went as asked
// on every drive not stopped.
TEST(FormatConfirmationTest, SeveralDrivesAreTickedAskedForOnceAndGetARowEach) {
  QTemporaryDir dir;
  QFile say(dir.filePath("say"));
  ASSERT_TRUE(say.open(QIODevice::WriteOnly));
  const contract::FormatVerdict verdict{true,  "dos", "c",     2048,    62498816, "FAT32",
                                        "CAM", 16384, 1952500, 1048576, true};
  say.write(QByteArray::fromStdString(contract::HelperEvent(verdict).line()) + '\n');
  say.close();
  qputenv("TESSARO_TEST_SAY", say.fileName().toLocal8Bit());
  QList<Drive> drives;
  for (const char* name : {"sdx", "sdy", "sdz"}) {
    drives << Drive{QUuid::createUuid(), name,  QString("/dev/") + name, name,
                    "Example Stick",     false, 32'000'000'000};
  }
  const auto view = viewWithoutHelper(drives.first());
  view->diskManager().runner().setPrivilegedRunner(std::make_unique<PkexecRunner>(
      QStringLiteral(TESSARO_FIXTURES_DIR "/Jobs/elevate-batch"), true));
  qputenv("TESSARO_TEST_WAIT", "3");
  view->setLabel("cam");
  BatchDialog dialog(*view, drives);
  dialog.show();
  auto* list = child<QListWidget>(dialog, "batchDrives");
  list->setFocus();
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(list, Qt::Key_Space);
    QTest::keyClick(list, Qt::Key_Down);
  }
  ASSERT_EQ(dialog.chosenDrives(), drives);
  QStringList asked;
  dialog.setConfirmation([&](const EraseConfirmation& question) {
    asked << question.question + '\n' + question.details;
    return true;
  });
  QSignalSpy finished(&dialog, &BatchDialog::batchFinished);
  child<QPushButton>(dialog, "batchFormat")->click();
  QTRY_VERIFY_WITH_TIMEOUT(view->statusLog().contains("sdy: working on sdy"), 20000);
  child<QPushButton>(dialog, "stop-sdy")->click();
  ASSERT_TRUE(finished.wait(30000));
  QCoreApplication::processEvents();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_TRUE(asked[0].startsWith("Erase these 3 drives?")) << asked[0].toStdString();
  for (const Drive& drive : drives) EXPECT_TRUE(asked[0].contains("(" + drive.devicePath + ")"));
  const QStringList results = dialog.results();
  ASSERT_EQ(results.size(), 3);
  for (int i : {0, 2}) EXPECT_EQ(results[i], "Format complete for CAM on " + drives[i].devicePath);
  EXPECT_EQ(results[1], "Cancelled: nothing was written.");
  while (view->hasPendingLines()) QCoreApplication::processEvents();
  const QStringList log = view->statusLog().split('\n');
  EXPECT_EQ(log.first(), "Formatting 3 drives as FAT32.");
  EXPECT_EQ(log.last(), "2 formatted, 1 failed");
  for (const QString& line : log.mid(1, log.size() - 2))
    EXPECT_TRUE(line.startsWith("sdx: ") || line.startsWith("sdy: ") || line.startsWith("sdz: "))
        << line.toStdString();
  EXPECT_FALSE(view->isBusy());
  for (const char* name : {"TESSARO_TEST_SAY", "TESSARO_TEST_WAIT"}) qunsetenv(name);
}
