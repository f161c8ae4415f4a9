// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// One drive, two helper runs: the second comer is refused before it writes
// anything.

#include "SecurityTest.h"

namespace tessaro::security {
namespace {

using Locking = SecurityTest;

// A refusal for a busy drive: the status, nothing written by the run, and
// not a byte changed while it ran.
void expectBusyAndUntouched(const HelperRun::Result& result, const QString& before,
                            const LoopDisk& disk) {
  EXPECT_EQ(result.status, C::deviceBusy) << describe(result);
  EXPECT_EQ(writingCommands(result.lines), QStringList()) << "a refused run wrote";
  EXPECT_EQ(disk.hash(), before) << "the drive was written to while another held it";
}

struct SecondComer {
  const char* first;   // the run that holds the drive: "format" or "check"
  const char* second;  // the run that comes while the first one stands between two steps
  const char* because;
};

TEST_F(Locking, ASecondRunOnADriveInUseIsRefusedBeforeWriting) {
  const std::vector<SecondComer> cases{
      {"format", "format",
       "two windows format one drive at once and both say the format is complete"},
      {"format", "check", "a repair during a format leaves an inconsistent file system"},
      {"check", "format", "a format under a running repair, which then writes into the new one"},
  };
  for (const SecondComer& c : cases) {
    SCOPED_TRACE(std::string("a ") + c.second + " during a " + c.first + "\n  because " +
                 c.because);
    LoopDisk disk{{.dirty = true}};  // dirty, so that a check writes too
    ASSERT_TRUE(disk.ready());
    const auto argsFor = [&](const QByteArray& verb, const QByteArray& label) {
      return verb == C::formatVerb ? QByteArrayList{verb, disk.name().toUtf8(), label, "default"}
                                   : QByteArrayList{verb, disk.partitionName().toUtf8()};
    };
    HelperRun first(argsFor(c.first, "FIRST"));
    const std::optional<QString> step = first.waitForLine(writesToDisk);
    if (!step) FAIL() << "the first run never wrote: " << describe(first.finish());
    first.freeze();  // stopped at its first write, the drive in its hands
    const QString before = disk.hash();
    const HelperRun::Result second = HelperRun::run(argsFor(c.second, "SECOND"), {}, 120000);
    expectBusyAndUntouched(second, before, disk);
    first.thaw();
    const HelperRun::Result firstResult = first.finish();
    if (QByteArray(c.first) == C::formatVerb) {
      EXPECT_EQ(firstResult.status, C::success) << describe(firstResult);
      EXPECT_EQ(disk.fatLabel(), QStringLiteral("FAT32 FIRST"));
    } else {
      EXPECT_TRUE(firstResult.status == 0 || firstResult.status == 1) << describe(firstResult);
    }
  }
}

}  // namespace
}  // namespace tessaro::security
