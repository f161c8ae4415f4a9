// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The caller's terminal during a format: Ctrl+C, Ctrl+\, Ctrl+Z and a
// hang-up reach the terminal's foreground process group, where pkexec started
// the helper. None of them may end the helper mid-write, with the drive's lock
// let go and mkfs.fat writing on unwatched; SIGTERM is a cancel.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QRegularExpression>

#include "SecurityTest.h"
#include "contract/HelperEvent.h"

namespace tessaro::security {
namespace {

using TerminalSignals = SecurityTest;

bool isMkfsLine(const QString& line) {
  return line.startsWith(QLatin1String("$ ")) && line.contains(QLatin1String("mkfs.fat"));
}

// Whether another program could take the drive's lock now.
bool lockIsFree(const LoopDisk& disk) {
  const int fd = ::open(QFile::encodeName(disk.devicePath()).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

TEST_F(TerminalSignals, TheCallersTerminalNeverCutsAFormatShort) {
  LoopDisk disk;
  ASSERT_TRUE(disk.ready());
  HelperRun helper({"format", disk.name().toUtf8(), "KEPT", "default"}, {.terminal = true});
  ASSERT_TRUE(helper.waitForLine(isMkfsLine)) << describe(helper.finish());
  // Mid-mkfs (the helper and the tool stopped at that step), the keys and
  // the hang-up reach the terminal's foreground group.
  helper.freeze();
  helper.typeAtTerminal("\x03\x1c\x1a");  // Ctrl+C, Ctrl+\, Ctrl+Z
  ::kill(-helper.pid(), SIGHUP);
  helper.hangUpTerminal();
  helper.thaw();
  // The disk stays locked until the helper has said how the format ended:
  // its result event, then its verdict line.
  for (;;) {
    EXPECT_FALSE(lockIsFree(disk)) << "the lock was let go before the format ended";
    const auto line = helper.waitForLine([](const QString&) { return true; }, 10000);
    if (!line || line->startsWith(QLatin1String("Verified:"))) break;
    const auto event = tessaro::contract::HelperEvent::fromLine(line->toStdString());
    if (event && event->isResult()) break;
  }
  const HelperRun::Result result = helper.finish(120000);
  EXPECT_EQ(result.status, C::success) << describe(result);
  EXPECT_EQ(disk.fatLabel(), QStringLiteral("FAT32 KEPT"))
      << "the format did not finish: the drive is left half written";
}

TEST_F(TerminalSignals, SigtermIsACancel) {
  LoopDisk disk;
  ASSERT_TRUE(disk.ready());
  HelperRun helper({"format", disk.name().toUtf8(), "GONE", "default"});
  ASSERT_TRUE(helper.waitForLine(isMkfsLine)) << describe(helper.finish());
  helper.freeze();
  ::kill(helper.pid(), SIGTERM);
  helper.thaw();
  const HelperRun::Result result = helper.finish(120000);
  EXPECT_EQ(result.status, C::cancelled) << describe(result);
  EXPECT_EQ(result.lines.filter(QRegularExpression(QStringLiteral("^Cancelled: "))).size(), 1)
      << "one cancel, one line that says what is left: " << describe(result);
}

}  // namespace
}  // namespace tessaro::security
