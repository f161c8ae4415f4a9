#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUuid>

#include "drives/DiskManager.h"
#include "drives/LinuxDiskTools.h"
#include "exec/ChunkLines.h"
#include "ui/ContentView.h"

using namespace tessaro;

namespace {

// The dialog shown when no confirmation was set: it names the drive, says
// that its data will be erased, and Cancel (also the Return key) is the
// default. The helper path leads nowhere, so even a wrong answer erases nothing.
TEST(FormatConfirmationTest, DialogNamesTheDriveAndDefaultsToCancel) {
  auto tools =
      std::make_unique<LinuxDiskTools>(QStringLiteral("/usr/bin/lsblk"), QStringLiteral("/sys"),
                                       QStringLiteral("/nonexistent/tessaro-helper"));
  ContentView view(std::make_unique<DiskManager>(std::move(tools)));
  const Drive drive{QUuid::createUuid(),
                    QStringLiteral("sdz"),
                    QStringLiteral("/dev/sdz"),
                    QStringLiteral("32 GB Example Stick (sdz)"),
                    QStringLiteral("Example Stick"),
                    false,
                    32LL * 1000 * 1000 * 1000};
  view.setSelectedDrive(drive);
  const QString logBefore = view.statusLog();

  QString text;
  QString defaultButton;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    text = box->text() + QLatin1Char(' ') + box->informativeText();
    defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
    box->defaultButton()->click();
  });
  view.formatSelectedDrive();

  EXPECT_TRUE(text.contains(drive.description));
  EXPECT_TRUE(text.contains(drive.devicePath));
  EXPECT_TRUE(text.contains(QStringLiteral("All data on this drive will be erased")));
  EXPECT_EQ(defaultButton, QStringLiteral("Cancel"));
  EXPECT_EQ(view.statusLog(), logBefore);
  EXPECT_FALSE(view.isBusy());
}

TEST(FormatConfirmationTest, EachChunkIsTrimmedAndCutIntoLogLines) {
  EXPECT_EQ(chunkLogLines(QStringLiteral("  \n ")), QStringList{QString()});
  EXPECT_EQ(chunkLogLines(QStringLiteral("mkfs.fat 4.2\r\nDone.\n")),
            (QStringList{QStringLiteral("mkfs.fat 4.2"), QStringLiteral("Done.")}));
}

}  // namespace
