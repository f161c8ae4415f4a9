// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "ViewFixture.h"
#include "ui/EraseConfirmation.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {
const Drive stick{QUuid::createUuid(), "sdz", "/dev/sdz", "32 GB Example Stick (sdz)", {}, false,
                  32'000'000'000};
}  // namespace

TEST(FormatConfirmationTest, DialogNamesTheDriveAndDefaultsToCancel) {
  const auto view = viewWithoutHelper(stick);
  view->setLabel("My USB");
  view->setCluster(ClusterOption::C32768);
  const Question asked = questionAfter([&] { view->formatSelectedDrive(); });
  for (const QString& part :
       {stick.description, stick.devicePath, QString("All data on this drive will be erased"),
        QString("Volume name: MY USB"), QString("Cluster size: 32,768 bytes"),
        QString("over the whole drive")})
    EXPECT_TRUE(asked.text.contains(part)) << part.toStdString() << " in " << asked.text.toStdString();
  EXPECT_EQ(asked.defaultButton, "Cancel");
  EXPECT_EQ(view->statusLog(), ContentView::welcomeText());
  EXPECT_FALSE(view->isBusy());
}

// A drive larger than an MBR partition can address: the question says how
// much of it the format can use before the erase is confirmed.
TEST(FormatConfirmationTest, DialogNamesTheMbrLimitOnADriveLargerThanTheTableCanAddress) {
  Drive disk = stick;
  disk.description = "3 TB Example Disk (sdz)";
  disk.size = 3'000'592'982'016;
  const auto view = viewWithoutHelper(disk);
  const QString text = questionAfter([&] { view->formatSelectedDrive(); }).text;
  EXPECT_TRUE(
      text.endsWith("Only the first 2.2 TB of 3.0 TB can be used: an MBR partition table "
                    "cannot address more."))
      << text.toStdString();
  EXPECT_EQ(view->statusLog(), ContentView::welcomeText());
}

// The capacity test asks with words of its own: it writes over the whole drive,
// takes minutes, and the drive has to be formatted afterwards.
TEST(FormatConfirmationTest, TheCapacityTestSaysWhatItDoesAndHowLongItTakes) {
  const auto view = viewWithoutHelper(stick);
  const Question asked = questionAfter([&] { view->probeSelectedDrive(); });
  EXPECT_EQ(asked.title, "Test the capacity?");
  for (const QString& part : {stick.description, QString("across the whole drive, erasing"),
                              QString("about 3 min (an estimate)"), QString("must be formatted")})
    EXPECT_TRUE(asked.text.contains(part)) << part.toStdString() << " in " << asked.text.toStdString();
  EXPECT_EQ(asked.defaultButton, "Cancel");
  EXPECT_FALSE(view->isBusy());

  // A drive smaller than the largest cache looked for takes less time.
  const auto minutesFor = [](qint64 bytes) {
    Drive big{{}, "sdz", "/dev/sdz", "big (sdz)", {}, false, bytes};
    const QString details = EraseConfirmation::forCapacityTest(big).details;
    return details.section("about ", 1).section(' ', 0, 0).toInt();
  };
  EXPECT_LT(minutesFor(256'000'000), minutesFor(32'000'000'000));
  EXPECT_LE(minutesFor(32'000'000'000), minutesFor(4'000'000'000'000));
}

// Within the part of a drive that holds data, the partition's size is named
// beside the drive's.
TEST(FormatConfirmationTest, APartitionLessThanTheDriveIsNamed) {
  const Drive drive{{}, "sdz", "/dev/sdz", "32.02 GB Stick (sdz)", "Stick", false, 32'015'679'488};
  const QString details =
      EraseConfirmation::formatDetails({drive, "UNTITLED", std::nullopt, 8'000'000'000});
  EXPECT_EQ(details,
            "Volume name: UNTITLED\nCluster size: default for the drive's size\n"
            "Partition: 8 GB of the drive's 32.02 GB; the rest stays unused");
  EXPECT_TRUE(EraseConfirmation::formatDetails({drive, "X", 512, drive.size})
                  .endsWith("over the whole drive"));
}
