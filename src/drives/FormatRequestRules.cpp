// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/FormatRequestRules.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>

#include "drives/ByteCount.h"
#include "drives/ClusterOption.h"
#include "drives/Fat32Layout.h"
#include "drives/LogicalSectorSize.h"
#include "exec/VisibleText.h"

namespace tessaro {

namespace {

const QString kLinuxForbidden = QStringLiteral("*?.,;:/\\|+=<>[]\"");
const QString kMacForbidden = QStringLiteral("\"*+,./:;<=>?[\\]|");
constexpr qint64 kMbrMaxSectors = 0xFFFFFFFFLL;

struct RuleText {
  Q_DECLARE_TR_FUNCTIONS(FormatRequestRules)
};

// Quoted on one line: a control character in a name shows as an escape.
QString quoted(const QString& text) {
  return QLatin1Char('"') + visibleText(text, LineFeeds::escape) + QLatin1Char('"');
}

QString grouped(qint64 number) {
  //: The locale whose digit grouping the cluster counts use.
  return QLocale(RuleText::tr("en_US")).toString(number);
}

// Unused space at the end of a disk that is worth a word: 1 MB.
constexpr qint64 kMbrNoticeLoss = 1000 * 1000;

QString joinedChoices(const QStringList& choices) {
  if (choices.size() == 1) return choices.first();
  //: The last of several choices: "512, 1024 or 2048".
  return RuleText::tr("%1 or %2")
      .arg(choices.mid(0, choices.size() - 1).join(QStringLiteral(", ")), choices.last());
}

std::optional<QString> refuseForbidden(const QString& name, const QString& forbidden) {
  for (const QChar c : name) {
    if (forbidden.contains(c)) {
      return RuleText::tr("The volume name may not contain %1; remove it.").arg(quoted(c));
    }
  }
  return std::nullopt;
}

// Names that the file system would not give back as typed: FAT pads a label
// with blanks, so trailing ones vanish on reading, and "NO NAME" is how a
// volume without a label reads.
std::optional<QString> refuseUnreadableName(const QString& volumeName) {
  if (volumeName.startsWith(QLatin1Char(' '))) {
    return RuleText::tr("The volume name may not begin with a blank.");
  }
  if (volumeName.endsWith(QLatin1Char(' '))) {
    return RuleText::tr("The volume name may not end with a blank; remove it.");
  }
  if (volumeName.compare(QLatin1String("NO NAME"), Qt::CaseInsensitive) == 0) {
    return RuleText::tr(
        "\"NO NAME\" is how a drive without a name reads; choose another volume name.");
  }
  return std::nullopt;
}

}  // namespace

QString deriveVolumeName(const QString& label) {
  if (label.trimmed().isEmpty()) return QStringLiteral("UNTITLED");
  return label.toUpper();
}

std::optional<QString> refuseLinuxVolumeName(const QString& volumeName) {
  for (const QChar c : volumeName) {
    if (c.unicode() < 0x20 || c.unicode() > 0x7e) {
      return RuleText::tr(
                 "The volume name may hold only printable ASCII characters; %1 is not one.")
          .arg(quoted(c));
    }
  }
  if (volumeName.size() > 11) {
    return RuleText::tr("The volume name %1 is %2 characters long; FAT32 allows at most 11.")
        .arg(quoted(volumeName), QString::number(volumeName.size()));
  }
  if (auto refusal = refuseForbidden(volumeName, kLinuxForbidden)) return refusal;
  return refuseUnreadableName(volumeName);
}

std::optional<QString> refuseMacVolumeName(const QString& volumeName) {
  const qsizetype bytes = volumeName.toUtf8().size();
  if (bytes > 11) {
    return RuleText::tr("The volume name %1 takes %2 bytes; FAT32 allows at most 11.")
        .arg(quoted(volumeName), QString::number(bytes));
  }
  for (const QChar c : volumeName) {
    if (c.unicode() < 0x20) {
      return RuleText::tr("The volume name may not hold control characters.");
    }
  }
  if (auto refusal = refuseForbidden(volumeName, kMacForbidden)) return refusal;
  return refuseUnreadableName(volumeName);
}

bool isOfferedClusterSize(int clusterBytes) {
  const auto& options = ClusterOption::allCases();
  return std::any_of(options.begin(), options.end(),
                     [&](ClusterOption option) { return option.bytes() == clusterBytes; });
}

PartitionLayout fat32PartitionLayout(qint64 diskBytes, int logicalSectorSize,
                                     std::optional<qint64> partitionBytes) {
  PartitionLayout layout;
  if (!isValidLogicalSectorSize(logicalSectorSize)) return layout;
  layout.startSector = kPartitionAlignment / logicalSectorSize;
  const qint64 available = diskBytes / logicalSectorSize - layout.startSector;
  const qint64 limit = kMbrMaxSectors - layout.startSector;
  layout.sectorCount = std::clamp<qint64>(available, 0, limit);
  layout.truncated = available > limit;
  if (partitionBytes) {
    const qint64 asked = alignedPartitionBytes(*partitionBytes) / logicalSectorSize;
    if (asked < layout.sectorCount) {
      layout.sectorCount = asked;
      layout.truncated = false;
    }
    layout.sized = true;
  }
  return layout;
}

std::optional<qint64> mbrLimitedEnd(qint64 diskBytes, std::optional<qint64> partitionBytes,
                                    int logicalSectorSize) {
  const PartitionLayout layout = fat32PartitionLayout(diskBytes, logicalSectorSize, partitionBytes);
  if (!layout.truncated) return std::nullopt;
  const qint64 end = (layout.startSector + layout.sectorCount) * logicalSectorSize;
  if (diskBytes - end < kMbrNoticeLoss) return std::nullopt;
  return end;
}

QString mbrLimitNotice(qint64 diskBytes, std::optional<qint64> partitionBytes,
                       int logicalSectorSize) {
  const std::optional<qint64> end = mbrLimitedEnd(diskBytes, partitionBytes, logicalSectorSize);
  if (!end) return {};
  return RuleText::tr(
             "Only the first %1 of %2 can be used: an MBR partition table cannot "
             "address more.")
      .arg(formatByteCount(*end, userNumberLocale()),
           formatByteCount(diskBytes, userNumberLocale()));
}

qint64 alignedPartitionBytes(qint64 partitionBytes) {
  return std::max<qint64>(partitionBytes, 0) / kPartitionAlignment * kPartitionAlignment;
}

qint64 partitionBytesWithin(qint64 usableBytes) {
  return std::max<qint64>(alignedPartitionBytes(usableBytes) - kPartitionAlignment, 0);
}

std::optional<QString> refusePartitionSize(qint64 partitionBytes, qint64 diskBytes) {
  const qint64 aligned = alignedPartitionBytes(partitionBytes);
  if (aligned <= 0) {
    return RuleText::tr("A partition size of %1 bytes is less than 1 MiB.")
        .arg(grouped(partitionBytes));
  }
  const qint64 room = std::max<qint64>(diskBytes - kPartitionAlignment, 0);
  if (aligned > room) {
    return RuleText::tr(
               "A partition of %1 bytes does not fit on the drive: after its first MiB it has "
               "room for %2 bytes.")
        .arg(grouped(aligned), grouped(room));
  }
  return std::nullopt;
}

qint64 defaultClusterBytes(const PartitionLayout& layout, qint64 logicalSectorSize) {
  if (!isValidLogicalSectorSize(logicalSectorSize)) return 0;
  const qint64 sectors = layout.sectorCount;
  const qint64 clusterSectors = sectors > 32LL * 1024 * 1024 * 2   ? 64
                                : sectors > 16LL * 1024 * 1024 * 2 ? 32
                                : sectors > 8LL * 1024 * 1024 * 2  ? 16
                                : sectors > 260LL * 1024 * 2       ? 8
                                                                   : 1;
  return clusterSectors * logicalSectorSize;
}

qint64 formatClusterBytes(std::optional<int> clusterBytes, const PartitionLayout& layout,
                          int logicalSectorSize) {
  if (clusterBytes) return *clusterBytes;
  const qint64 mkfsChoice = defaultClusterBytes(layout, logicalSectorSize);
  if (plannedFat32Layout(layout, logicalSectorSize, mkfsChoice).isValid()) return mkfsChoice;
  qint64 nearest = 0;
  int nearestDistance = 0;
  for (const ClusterOption option : ClusterOption::allCases()) {
    if (!option.bytes() ||
        !plannedFat32Layout(layout, logicalSectorSize, *option.bytes()).isValid())
      continue;
    int distance = 0;
    for (qint64 a = std::min<qint64>(*option.bytes(), mkfsChoice),
                b = std::max<qint64>(*option.bytes(), mkfsChoice);
         a < b; a *= 2) {
      ++distance;
    }
    if (!nearest || distance <= nearestDistance) {
      nearest = *option.bytes();
      nearestDistance = distance;
    }
  }
  return nearest ? nearest : mkfsChoice;
}

std::optional<QString> refuseClusterSize(std::optional<int> clusterBytes, qint64 diskBytes,
                                         int logicalSectorSize,
                                         std::optional<qint64> partitionBytes) {
  if (clusterBytes && !isOfferedClusterSize(*clusterBytes)) {
    return RuleText::
        tr("A cluster size of %1 bytes is not offered: choose a power of two from 512 to 65536.")
            .arg(*clusterBytes);
  }
  if (!isValidLogicalSectorSize(logicalSectorSize)) {
    return RuleText::tr(
        "The drive reports no usable logical sector size (a power of two from 512 to 65,536 "
        "bytes), so its partition cannot be sized; it is not formatted.");
  }
  const PartitionLayout layout = fat32PartitionLayout(diskBytes, logicalSectorSize, partitionBytes);
  auto fits = [&](qint64 bytes) {
    return plannedFat32Layout(layout, logicalSectorSize, bytes).isValid();
  };
  const qint64 asked = formatClusterBytes(clusterBytes, layout, logicalSectorSize);
  if (fits(asked)) return std::nullopt;
  const qint64 clusters = plannedFat32Layout(layout, logicalSectorSize, asked).clusters;

  QStringList fitting;
  if (fits(formatClusterBytes(std::nullopt, layout, logicalSectorSize))) {
    fitting << ClusterOption::defaultName();
  }
  for (const ClusterOption option : ClusterOption::allCases()) {
    if (option.bytes() && fits(*option.bytes())) fitting << option.rawValue();
  }
  const QString counts[] = {QString::number(asked), grouped(clusters), grouped(kFat32MinClusters),
                            grouped(kFat32MaxClusters)};
  const QString problem =
      clusterBytes ? RuleText::tr(
                         "A cluster size of %1 bytes gives %2 clusters on this drive, but "
                         "FAT32 needs %3 to %4.")
                         .arg(counts[0], counts[1], counts[2], counts[3])
                   : RuleText::tr(
                         "The default cluster size (%1 bytes) gives %2 clusters on this "
                         "drive, but FAT32 needs %3 to %4.")
                         .arg(counts[0], counts[1], counts[2], counts[3]);
  if (fitting.isEmpty()) {
    return problem + QLatin1Char(' ') +
           RuleText::tr("No cluster size fits: the drive is too small for FAT32.");
  }
  return problem + QLatin1Char(' ') + RuleText::tr("Choose %1.").arg(joinedChoices(fitting));
}

}  // namespace tessaro
