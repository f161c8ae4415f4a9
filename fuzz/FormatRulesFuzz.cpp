// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The volume-name and cluster-size rules a format is checked against, for
// any name, disk size, sector size and cluster size; where mkfs.fat is
// installed, the cluster rules against mkfs.fat itself on a sparse file for
// every real disk size from 32 MiB to 2 TiB, both sector sizes and every
// cluster choice (the full sweep of the unit test's sampled table).
#include <QByteArray>
#include <QDir>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>
#include <optional>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "MkfsFatRun.h"
#include "drives/ClusterOption.h"
#include "drives/Fat32Layout.h"
#include "drives/FormatRequestRules.h"
#include "drives/VolumeName.h"
#include "drives/LogicalSectorSize.h"

using namespace tessaro;

namespace {

// mkfs.fat's -n as dosfstools 4.2 takes it: up to 11 printable ASCII
// characters, none of those DOS forbids in names, not starting with a blank.
bool mkfsFatTakesName(const QString& name) {
  if (name.size() > 11) return false;
  for (const QChar c : name) {
    if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
    if (QStringLiteral("*?.,;:/\\|+=<>[]\"").contains(c)) return false;
  }
  return !name.startsWith(QLatin1Char(' '));
}

// What the format takes on purpose is narrower: a name must read back as
// typed, and FAT pads a label with blanks (trailing ones vanish) and reads
// "NO NAME" as no label at all. mkfs.fat writes both without a word.
bool formatTakesName(const QString& name) {
  return mkfsFatTakesName(name) && !name.endsWith(QLatin1Char(' ')) &&
         name.compare(QLatin1String("NO NAME"), Qt::CaseInsensitive) != 0;
}

void checkVolumeName(const QString& label) {
  const QString name = deriveVolumeName(label);
  FUZZ_CHECK(!name.isEmpty(), label);
  for (const QString& candidate : {label, name}) {
    const auto refusal = refuseLinuxVolumeName(candidate.toStdString());
    FUZZ_CHECK(!refusal == formatTakesName(candidate), candidate);
    if (refusal) FUZZ_CHECK(!refusal->empty(), candidate);
    const auto macRefusal = refuseMacVolumeName(candidate.toStdString());
    if (!macRefusal) FUZZ_CHECK(candidate.toUtf8().size() <= 11, candidate);
  }
}

// The sizes a refusal names ("Choose Default, 4096 or 8192.").
QList<std::optional<int>> namedChoices(const QString& refusal) {
  static const QRegularExpression choose(QStringLiteral(" Choose (.*)\\.$"));
  QList<std::optional<int>> choices;
  const auto match = choose.match(refusal);
  if (!match.hasMatch()) return choices;
  QString list = match.captured(1);
  list.replace(QStringLiteral(" or "), QStringLiteral(", "));
  for (const QString& word : list.split(QStringLiteral(", "))) {
    const auto option = ClusterOption::fromRawValue(word.toStdString());
    FUZZ_CHECK(option.has_value(), refusal);
    choices << option->bytes();
  }
  return choices;
}

void checkClusterRules(std::optional<int> clusterBytes, qint64 diskBytes, int sectorBytes) {
  const PartitionLayout layout = fat32PartitionLayout(diskBytes, sectorBytes);
  const bool validSector = isValidLogicalSectorSize(sectorBytes);
  if (validSector) {
    FUZZ_CHECK(layout.startSector * sectorBytes == 1024 * 1024, QString::number(sectorBytes));
    FUZZ_CHECK(layout.sectorCount >= 0 && layout.startSector + layout.sectorCount <= 0xFFFFFFFFLL,
               QString::number(layout.sectorCount));
    FUZZ_CHECK(diskBytes < 1024 * 1024 ||
                   (layout.startSector + layout.sectorCount) * sectorBytes <= diskBytes,
               QString::number(diskBytes));
    const qint64 defaultBytes = defaultClusterBytes(layout, sectorBytes);
    FUZZ_CHECK(defaultBytes % sectorBytes == 0 && defaultBytes / sectorBytes <= 64 &&
                   ((defaultBytes / sectorBytes) & (defaultBytes / sectorBytes - 1)) == 0,
               QString::number(defaultBytes));
  } else {
    FUZZ_CHECK(layout.sectorCount == 0 && defaultClusterBytes(layout, sectorBytes) == 0,
               QString::number(sectorBytes));
  }
  (void)plannedFat32Layout(layout, sectorBytes, clusterBytes.value_or(0));

  const auto refusal = refuseClusterSize(clusterBytes, diskBytes, sectorBytes);
  if (!validSector) {
    FUZZ_CHECK(refusal.has_value(), QString::number(sectorBytes));
    return;
  }
  if (!refusal) {
    const qint64 bytes = formatClusterBytes(clusterBytes, layout, sectorBytes);
    FUZZ_CHECK(bytes >= sectorBytes && bytes % sectorBytes == 0, QString::number(bytes));
    const Fat32Layout planned = plannedFat32Layout(layout, sectorBytes, bytes);
    FUZZ_CHECK(planned.isValid(), QString::number(planned.clusters));
    FUZZ_CHECK(planned.dataStartBytes() %
                       planned.dataAlignmentBytes() ==
                   0,
               QString::number(planned.dataStartBytes()));
    return;
  }
  // Every size a refusal offers is one that is then taken.
  const QString refusalText = QString::fromStdString(*refusal);
  for (const auto& choice : namedChoices(refusalText))
    FUZZ_CHECK(!refuseClusterSize(choice, diskBytes, sectorBytes), refusalText);
}

// The same choice made by mkfs.fat, for the disks it is asked about.
void checkAgainstMkfsFat(std::optional<int> clusterBytes, qint64 diskBytes, int sectorBytes) {
  constexpr qint64 kMiB = 1024 * 1024;
  if (diskBytes < 32 * kMiB || diskBytes > 2 * 1024 * 1024 * kMiB) return;
  if (sectorBytes != 512 && sectorBytes != 4096) return;
  if (clusterBytes && !isOfferedClusterSize(*clusterBytes)) return;
  static const bool installed = !test::systemMkfsFat().isEmpty();
  static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tessaro-fuzz-XXXXXX"));
  if (!installed || !dir.isValid()) return;
  const QString disagreement =
      test::clusterRuleDisagreement(clusterBytes, diskBytes, sectorBytes, dir.path());
  FUZZ_CHECK(disagreement.isEmpty(), QStringLiteral("%1 bytes, %2-byte sectors, cluster %3: %4")
                                         .arg(diskBytes)
                                         .arg(sectorBytes)
                                         .arg(clusterBytes.value_or(0))
                                         .arg(disagreement));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const auto diskBytes = input.take<int64_t>();
  const auto sectorBytes = input.take<int32_t>();
  const auto clusterBytes = input.take<int32_t>();
  const auto choice = input.take<uint8_t>();
  // Mostly real sizes, so that the accepted paths are reached as well.
  const int sector = (choice & 1) ? sectorBytes : 512 << (static_cast<uint32_t>(sectorBytes) % 8);
  std::optional<int> cluster;
  if (choice & 2)
    cluster = clusterBytes;
  else if (choice & 4)
    cluster = 512 << (static_cast<uint32_t>(clusterBytes) % 8);
  const qint64 disk = (choice & 8)
                          ? diskBytes
                          : static_cast<qint64>(static_cast<uint64_t>(diskBytes) % (8LL << 40));
  checkClusterRules(cluster, disk, sector);
  checkAgainstMkfsFat(cluster, disk, sector);
  checkVolumeName(QString::fromUtf8(input.rest()));
  return 0;
}
