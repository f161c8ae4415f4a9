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

