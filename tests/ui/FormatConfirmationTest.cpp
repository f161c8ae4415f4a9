// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "ViewFixture.h"
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
