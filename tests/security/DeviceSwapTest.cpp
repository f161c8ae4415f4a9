// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The name of the chosen drive comes to mean another drive while the helper
// works: a loop device freed and taken by another image between two steps
// (as when stick A is pulled mid-format and stick B gets its name), or a link
// flipped between an allowed and a refused disk while the helper starts.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <iostream>
#include <thread>

#include "SecurityTest.h"

namespace tessaro::security {
namespace {

using DeviceSwap = SecurityTest;

// Waits for the n-th command of the run that writes (shown, not yet or just
// started) and freezes the run there; the line, or none when the run ended
// with fewer such steps.
std::optional<QString> freezeAtWritingStep(HelperRun& run, int n) {
  std::optional<QString> line;
  for (int i = 0; i < n; ++i) {
    line = run.waitForLine(writesToDisk);
    if (!line) return std::nullopt;
  }
  run.freeze();
  return line;
}

struct Swap {
  const char* verb;
  int step;  // the writing step at which the name changes hands
  const char* because;
};

TEST_F(DeviceSwap, ANameFreedAndTakenByAnotherDriveBetweenStepsLeavesThatDriveUntouched) {
  const std::vector<Swap> swaps{
      {"format", 1, "the drive attached under the chosen drive's name would be erased"},
      {"format", 2, "the new drive would get the partition table and the file system"},
      {"format", 3, "the new drive would get the file system, and the log would say success"},
      {"check", 1, "a repair would write to a drive nobody chose"},
  };
  for (const Swap& swap : swaps) {
    SCOPED_TRACE(std::string(swap.verb) + ", name taken over at writing step " +
                 std::to_string(swap.step) + "\n  because " + swap.because);
    LoopDisk chosen;
    // Its dirty flag makes a check write; its data makes any other step show.
    LoopDisk stranger{{.label = QStringLiteral("STRANGER"), .dirty = true, .attach = false}};
    ASSERT_TRUE(chosen.ready() && stranger.ready());
    const QString strangerBefore = stranger.hash();
    const QString name = chosen.name();
    const bool isFormat = QByteArray(swap.verb) == C::formatVerb;
    HelperRun run(isFormat ? QByteArrayList{swap.verb, name.toUtf8(), "SWAPPED", "default"}
                           : QByteArrayList{swap.verb, chosen.partitionName().toUtf8()});
    const std::optional<QString> step = freezeAtWritingStep(run, swap.step);
    if (!step) {
      const HelperRun::Result result = run.finish();
      ASSERT_TRUE(swap.step > 1 && (result.status == C::success || result.status == 1))
          << "the run ended before writing step " << swap.step << ": " << describe(result);
      continue;  // this helper has fewer writing steps
    }

    chosen.detach();
    const bool swapped = stranger.attachAs(name);
    if (!swapped && !chosen.attached()) {
      // The number went to someone else's image (or nobody's): going on could
      // write to a disk this test did not make.
      GTEST_SKIP() << name.toStdString() << " was taken by another process between detach "
                   << "and attach; the run was killed, not resumed";
    }
    run.thaw();
    const HelperRun::Result result = run.finish();
    std::cout << "  " << swap.verb << " frozen at \"" << step->toStdString() << "\": "
              << (swapped ? "the name went to the other image" : "the kernel kept the name bound")
              << "; the run ended with " << result.status << "\n";

    EXPECT_EQ(stranger.hash(), strangerBefore)
        << (swapped ? "the drive now under " : "a drive never attached under ")
        << name.toStdString() << " was written to; " << describe(result);
    if (swapped) {
      EXPECT_NE(result.status, C::success)
          << "the chosen drive went away mid-run, yet the run reported success; "
          << describe(result);
    } else if (isFormat && result.status == C::success) {
      // The helper held the chosen drive, so its name never changed hands:
      // success must mean the chosen drive holds the new file system.
      EXPECT_EQ(chosen.fatLabel(), QStringLiteral("FAT32 SWAPPED")) << describe(result);
    }
  }
}

// Replaces link with a link to target in one step, as an attacker would.
bool pointLink(const QString& link, const QString& target) {
  const QString fresh = link + QStringLiteral(".new");
  QFile::remove(fresh);
  return QFile::link(target, fresh) && std::rename(QFile::encodeName(fresh).constData(),
                                                   QFile::encodeName(link).constData()) == 0;
}

TEST_F(DeviceSwap, ALinkFlippedBetweenAnAllowedAndARefusedDiskIsNeverFollowed) {
  LoopDisk allowed;
  LoopDisk refused{{.label = QStringLiteral("MOUNTED")}};
  ASSERT_TRUE(allowed.ready() && refused.ready());
  ASSERT_TRUE(makeExt4(refused.partitionPath()));
  const Mount mount(refused.partitionPath(), QStringLiteral("ext4"));
  ASSERT_TRUE(mount.mounted());
  QTemporaryDir shm(QStringLiteral("/dev/shm/tessaro-security-XXXXXX"));
  ASSERT_TRUE(shm.isValid());
  const QString diskLink = shm.filePath(QStringLiteral("disk"));
  const QString partLink = shm.filePath(QStringLiteral("part"));
  ASSERT_TRUE(pointLink(diskLink, allowed.devicePath()) &&
              pointLink(partLink, allowed.partitionPath()));
  const QString allowedBefore = allowed.hash();
  const QString refusedBefore = refused.hash();

  std::atomic<bool> flipping = true;
  std::thread flipper([&] {
    for (bool toRefused = true; flipping; toRefused = !toRefused) {
      pointLink(diskLink, toRefused ? refused.devicePath() : allowed.devicePath());
      pointLink(partLink, toRefused ? refused.partitionPath() : allowed.partitionPath());
    }
  });
  for (int attempt = 0; attempt < 20; ++attempt) {
    for (const QByteArrayList& args : {QByteArrayList{"format", diskLink.toUtf8(), "X", "default"},
                                       QByteArrayList{"check", partLink.toUtf8()}}) {
      const HelperRun::Result result = HelperRun::run(args);
      EXPECT_EQ(result.status, C::usage)
          << "because a link checked once and opened again can lead to the refused disk, "
             "which then gets unmounted and erased; "
          << describe(result);
      EXPECT_EQ(commandLines(result.lines), QStringList());
    }
  }
  flipping = false;
  flipper.join();
  EXPECT_TRUE(mount.mounted()) << "the refused disk's file system was unmounted";
  EXPECT_EQ(refused.hash(), refusedBefore) << "the refused, mounted disk was written to";
  EXPECT_EQ(allowed.hash(), allowedBefore) << "a path reached the allowed disk";
}

}  // namespace
}  // namespace tessaro::security
