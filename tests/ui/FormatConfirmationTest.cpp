// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "ViewFixture.h"

using namespace tessaro;

// The helper path leads nowhere, so even a wrong answer erases nothing.
TEST(FormatConfirmationTest, DialogNamesTheDriveAndDefaultsToCancel) {
  ContentView view(std::make_unique<DiskManager>(
      std::make_unique<LinuxDiskTools>("/usr/bin/lsblk", "/sys", "/nonexistent/tessaro-helper")));
  const Drive drive{QUuid::createUuid(), "sdz", "/dev/sdz", "32 GB Example Stick (sdz)", {}, false,
                    32'000'000'000};
  view.setSelectedDrive(drive);
  QString text, defaultButton;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(box && box->defaultButton());
    text = box->text() + ' ' + box->informativeText();
    defaultButton = box->defaultButton()->text();
    box->defaultButton()->click();
  });
  view.formatSelectedDrive();
  for (const QString& part :
       {drive.description, drive.devicePath, QString("All data on this drive will be erased")})
    EXPECT_TRUE(text.contains(part)) << part.toStdString();
  EXPECT_EQ(defaultButton, "Cancel");
  EXPECT_EQ(view.statusLog(), ContentView::welcomeText());
  EXPECT_FALSE(view.isBusy());
}

// A drive larger than an MBR partition can address: the question says how
// much of it the format can use before the erase is confirmed.
TEST(FormatConfirmationTest, DialogNamesTheMbrLimitOnADriveLargerThanTheTableCanAddress) {
  ContentView view(std::make_unique<DiskManager>(
      std::make_unique<LinuxDiskTools>("/usr/bin/lsblk", "/sys", "/nonexistent/tessaro-helper")));
  view.setSelectedDrive(Drive{QUuid::createUuid(),
                              "sdz",
                              "/dev/sdz",
                              "3 TB Example Disk (sdz)",
                              {},
                              false,
                              3'000'592'982'016});
  QString text;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(box && box->defaultButton());
    text = box->informativeText();
    box->defaultButton()->click();
  });
  view.formatSelectedDrive();
  EXPECT_TRUE(
      text.endsWith("Only the first 2.2 TB of 3.0 TB can be used: an MBR partition table "
                    "cannot address more."))
      << text.toStdString();
  EXPECT_EQ(view.statusLog(), ContentView::welcomeText());
}
