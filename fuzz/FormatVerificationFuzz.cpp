// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What a format reads back from the drive: the MBR, fsck.fat -v, the boot
// sector and the root directory's first cluster, and the verdict made from
// them; and the info verb's reading of blkid's export.
#include <QByteArray>
#include <QString>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "helper/format/FormatVerification.h"
#include "helper/info/LinuxDriveFacts.h"

using namespace tessaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const auto clusterChoice = input.take<int32_t>();
  const auto flags = input.take<uint8_t>();
  const bool fsckClean = flags & 1;
  const QByteArrayList parts = input.parts(QByteArrayLiteral("\n--\n"), 5);
  const QByteArray& mbr = parts[0];
  const QByteArray& rootCluster = parts[1];
  const QString fsck = QString::fromUtf8(parts[2]);
  const QByteArray bootSector = parts[3];

  FormatReadBack found;
  readMbr(mbr.toStdString(), found);
  readFsckVerbose(fsck.toStdString(), found);
  readBootSector(bootSector.toStdString(), found);
  readFatVolume(bootSector.toStdString(), rootCluster.toStdString(), found);
  found.fsckClean = fsckClean;
  FUZZ_CHECK(found.partitionCount >= 0 && found.partitionCount <= 4,
             QString::number(found.partitionCount));
  const QString label = QString::fromStdString(found.label);
  FUZZ_CHECK(label.size() <= 11, label);

  // The helper's reading of the same blkid output, from bytes.
  const auto values = parseBlkidExport(parts[1].toStdString());
  (void)filesystemName(values.contains("TYPE") ? values.at("TYPE") : std::string(),
                       values.contains("VERSION") ? values.at("VERSION") : std::string());
  if (const auto cluster = fatClusterBytes(bootSector.toStdString()))
    FUZZ_CHECK(*cluster >= 512 && *cluster <= 4096 * 128, QString::number(*cluster));

  FormatExpectation expected;
  expected.volumeName = QString::fromUtf8(parts[4]).toStdString();
  if (clusterChoice != 0) expected.clusterBytes = clusterChoice;
  if (flags & 2) expected.dataAlignment = 4 << 20;
  const FormatCheck check = verifyFormat(expected, found);
  const QString line = QString::fromStdString(check.line);
  FUZZ_CHECK(line.startsWith(check.verdict.matches ? QLatin1String("Verified: ")
                                                   : QLatin1String("Verification failed: ")),
             line);
  if (check.verdict.matches) {
    // Nothing but a clean FAT32 as asked is ever called verified.
    FUZZ_CHECK(found.fsckClean, line);
    FUZZ_CHECK(found.label == expected.volumeName, line);
    if (expected.dataAlignment) {
      FUZZ_CHECK(found.dataStartBytes() > 0 && found.dataStartBytes() % expected.dataAlignment == 0,
                 line);
    }
  }
  return 0;
}
