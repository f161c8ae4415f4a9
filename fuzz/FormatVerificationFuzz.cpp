// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What a format reads back from the drive: sfdisk --dump, blkid export,
// fsck.fat -v and the boot sector, and the verdict made from them.
#include <QByteArray>
#include <QString>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "drives/linux/FormatVerification.h"
#include "drives/linux/LinuxDriveFacts.h"

using namespace tessaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const auto clusterChoice = input.take<int32_t>();
  const bool fsckClean = input.take<uint8_t>() & 1;
  const QByteArrayList parts = input.parts(QByteArrayLiteral("\n--\n"), 5);
  const QString sfdisk = QString::fromUtf8(parts[0]);
  const QString blkid = QString::fromUtf8(parts[1]);
  const QString fsck = QString::fromUtf8(parts[2]);
  const QByteArray bootSector = parts[3];

  FormatReadBack found;
  readSfdiskDump(sfdisk, found);
  readBlkidExport(blkid, found);
  readFsckVerbose(fsck, found);
  readBootSector(bootSector, found);
  found.fsckClean = fsckClean;
  FUZZ_CHECK(found.partitionCount >= 0, sfdisk);

  // The helper's reading of the same blkid output, from bytes.
  const auto values = parseBlkidExport(parts[1]);
  (void)filesystemName(values.value(QStringLiteral("TYPE")),
                       values.value(QStringLiteral("VERSION")));
  if (const auto cluster = fatClusterBytes(bootSector))
    FUZZ_CHECK(*cluster >= 512 && *cluster <= 4096 * 128, QString::number(*cluster));

  FormatExpectation expected;
  expected.volumeName = QString::fromUtf8(parts[4]);
  if (clusterChoice != 0) expected.clusterBytes = clusterChoice;
  const FormatVerdict verdict = verifyFormat(expected, found);
  FUZZ_CHECK(verdict.line.startsWith(verdict.matches ? QLatin1String("Verified: ")
                                                     : QLatin1String("Verification failed: ")),
             verdict.line);
  if (verdict.matches) {
    // Nothing but a clean FAT32 as asked is ever called verified.
    FUZZ_CHECK(found.fsckClean, verdict.line);
    FUZZ_CHECK(found.label == expected.volumeName, verdict.line);
  }
  return 0;
}
