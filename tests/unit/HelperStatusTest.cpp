// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/CheckLine.h"
#include "exec/HelperContract.h"
#include "jobs/ReportTexts.h"

using namespace tessaro;

namespace {

// A failed run's last line says why in the user's terms, with the status of
// the tool that failed where the helper passes it on.
TEST(HelperStatusTest, FailureLinesSayWhyInTheUsersTerms) {
  const std::pair<int, const char*> rows[] = {
      {HelperContract::deviceBusy, ": the drive is in use by another program (exit status 69)"},
      {HelperContract::deviceChanged,
       ": the drive changed while it was being formatted (exit status 68)"},
      {HelperContract::toolMissing, ": a program it needs is not installed (exit status 70)"},
      {HelperContract::refusedDevice, ": the drive is not one Tessaro may change (exit status 65)"},
      {HelperContract::cancelled, ": it was cancelled (exit status 72)"},
      // A tool's own status, which a format ends with (mkfs.fat's 1).
      {1, ": a tool failed (exit status 1)"},
      {4, ": a tool failed (exit status 4)"},
      {137, " (exit status 137)"},
  };
  for (const auto& [status, suffix] : rows) {
    EXPECT_EQ(reportText::formatToolFailed("MY USB", "/dev/sdb", status),
              QStringLiteral("Format failed for MY USB on /dev/sdb") + suffix)
        << status;
  }
  // The same reasons end a check's and a report's line, each naming its own work.
  EXPECT_EQ(reportText::checkToolFailed("/dev/sdb1", HelperContract::deviceChanged),
            "Check failed on /dev/sdb1: the drive changed while it was being checked "
            "(exit status 68)");
  EXPECT_EQ(reportText::infoToolFailed("/dev/sdb", HelperContract::deviceChanged),
            "Reading info failed on /dev/sdb: the drive changed while it was being read "
            "(exit status 68)");
  // A name that looks like a placeholder is shown as it is.
  EXPECT_EQ(reportText::formatToolFailed("%2 %1", "/dev/sdb", 137),
            "Format failed for %2 %1 on /dev/sdb (exit status 137)");
}

// fsck.fat's 1 means "fixed" or "gave up": only a clean read-only re-check
// makes it "fixed"; a re-check that could not run proves nothing.
TEST(HelperStatusTest, CheckStatusAfterTheReadOnlyRecheck) {
  const std::tuple<int, std::optional<int>, int> rows[] = {
      {0, std::nullopt, 0}, {1, 0, 1}, {1, 1, 4}, {1, std::nullopt, 4}, {2, std::nullopt, 2},
  };
  for (const auto& [repair, recheck, status] : rows) {
    EXPECT_EQ(linuxCheckStatus(repair, recheck), status) << repair;
  }
  EXPECT_TRUE(checkLeftFileSystemConsistent(1));
  EXPECT_FALSE(checkLeftFileSystemConsistent(4));
}

}  // namespace
