// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/format/FormatVerification.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include "drives/FormatRequestRules.h"

namespace tessaro {

namespace {

QString grouped(qint64 number) {
  return QLocale(QLocale::English, QLocale::UnitedStates).toString(number);
}

qint64 littleEndian(const QByteArray& bytes, int at, int size) {
  qint64 value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

bool hasBootSignature(const QByteArray& sector) {
  return sector.size() >= 512 && littleEndian(sector, 510, 2) == 0xAA55;
}

QString labelText(const QByteArray& bytes) {
  const QString label = QString::fromLatin1(bytes).trimmed();
  return label == QLatin1String("NO NAME") ? QString() : label;
}

}  // namespace

void readMbr(const QByteArray& firstSector, FormatReadBack& into) {
  into.partitionCount = 0;
  if (!hasBootSignature(firstSector)) return;
  into.tableLabel = QStringLiteral("dos");
  for (int entry = 0; entry < 4; ++entry) {
    const int at = 446 + 16 * entry;
    const int type = static_cast<unsigned char>(firstSector[at + 4]);
    if (type == 0) continue;
    if (++into.partitionCount != 1) continue;
    into.partitionType = QString::number(type, 16);
    into.partitionStart = littleEndian(firstSector, at + 8, 4);
    into.partitionSectors = littleEndian(firstSector, at + 12, 4);
  }
}

void readFatVolume(const QByteArray& bootSector, const QByteArray& rootCluster,
                   FormatReadBack& into) {
  if (!hasBootSignature(bootSector)) return;
  if (bootSector.mid(82, 8) == "FAT32   ") {
    into.fsType = QStringLiteral("vfat");
    into.fsVersion = QStringLiteral("FAT32");
  }
  into.label = labelText(bootSector.mid(71, 11));
  for (qsizetype at = 0; at + 32 <= rootCluster.size(); at += 32) {
    const auto first = static_cast<unsigned char>(rootCluster[at]);
    if (first == 0x00) break;  // the end of the directory
    const auto attributes = static_cast<unsigned char>(rootCluster[at + 11]);
    if (first == 0xE5 || (attributes & 0x3F) == 0x0F || !(attributes & 0x08)) continue;
    into.label = labelText(rootCluster.mid(at, 11));
    break;
  }
}

void readFsckVerbose(const QString& text, FormatReadBack& into) {
  static const QRegularExpression clusters(QStringLiteral("^\\s*(\\d+) data clusters\\b"),
                                           QRegularExpression::MultilineOption);
  const auto match = clusters.match(text);
  if (match.hasMatch()) into.clusterCount = match.captured(1).toLongLong();
}

void readBootSector(const QByteArray& firstSector, FormatReadBack& into) {
  if (firstSector.size() < 40) return;
  const auto byte = [&](int offset) { return static_cast<unsigned char>(firstSector[offset]); };
  into.bytesPerSector = byte(11) | (byte(12) << 8);
  into.sectorsPerCluster = byte(13);
  into.reservedSectors = byte(14) | (byte(15) << 8);
  into.fatCount = byte(16);
  into.hiddenSectors = qint64(byte(28)) | (qint64(byte(29)) << 8) | (qint64(byte(30)) << 16) |
                       (qint64(byte(31)) << 24);
  into.fatSectors = qint64(byte(36)) | (qint64(byte(37)) << 8) | (qint64(byte(38)) << 16) |
                    (qint64(byte(39)) << 24);
}

qint64 FormatReadBack::dataStartBytes() const {
  if (partitionStart < 0 || bytesPerSector <= 0 || fatCount <= 0) return -1;
  return (partitionStart + reservedSectors + fatCount * fatSectors) * bytesPerSector;
}

namespace {

QString alignmentText(qint64 bytes) {
  if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0) {
    return QString::number(bytes / (1024 * 1024)) + QStringLiteral(" MiB");
  }
  return QStringLiteral("the cluster (") + QString::number(bytes) + QStringLiteral(" bytes)");
}

}  // namespace

FormatCheck verifyFormat(const FormatExpectation& expected, const FormatReadBack& found) {
  QStringList differences;
  if (found.tableLabel != QLatin1String("dos")) differences << QStringLiteral("no MBR (dos) table");
  if (found.partitionCount != 1) {
    differences << QString::number(found.partitionCount) + QStringLiteral(" partitions, not 1");
  }
  if (found.partitionType.compare(QLatin1String("c"), Qt::CaseInsensitive) != 0) {
    differences << QStringLiteral("partition type is not c");
  }
  if (found.partitionStart != expected.partitionStart) {
    differences << QStringLiteral("partition does not start at sector ") +
                       QString::number(expected.partitionStart);
  }
  if (found.hiddenSectors != expected.partitionStart) {
    differences << QStringLiteral("boot sector's hidden sectors are not ") +
                       QString::number(expected.partitionStart);
  }
  if (expected.partitionSectors && found.partitionSectors != *expected.partitionSectors) {
    differences << QStringLiteral("partition is not ") + grouped(*expected.partitionSectors) +
                       QStringLiteral(" sectors long");
  }
  if (found.fsType != QLatin1String("vfat") || found.fsVersion != QLatin1String("FAT32")) {
    differences << QStringLiteral("file system is not FAT32");
  }
  if (found.label != expected.volumeName) {
    differences << QStringLiteral("label is not \"") + expected.volumeName + QLatin1Char('"');
  }
  if (expected.clusterBytes && found.clusterBytes() != *expected.clusterBytes) {
    differences << QStringLiteral("cluster size is not ") +
                       QString::number(*expected.clusterBytes) + QStringLiteral(" bytes");
  }
  if (found.clusterCount < kFat32MinClusters || found.clusterCount > kFat32MaxClusters) {
    differences << QStringLiteral("cluster count is outside FAT32's ") +
                       grouped(kFat32MinClusters) + QStringLiteral(" to ") +
                       grouped(kFat32MaxClusters);
  }
  if (!found.fsckClean) differences << QStringLiteral("fsck.fat reports errors");
  const qint64 dataStart = found.dataStartBytes();
  const bool aligned =
      expected.dataAlignment > 0 && dataStart > 0 && dataStart % expected.dataAlignment == 0;
  if (expected.dataAlignment > 0 && !aligned) {
    differences << QStringLiteral("data area is not aligned to ") +
                       alignmentText(expected.dataAlignment);
  }

  const QString readBack =
      QStringLiteral(
          "%1 table, partition type %2 at sector %3; %4 %5, label \"%6\", %7-byte "
          "clusters, %8 clusters")
          .arg(found.tableLabel.isEmpty() ? QStringLiteral("no") : found.tableLabel,
               found.partitionType.isEmpty() ? QStringLiteral("?") : found.partitionType,
               QString::number(found.partitionStart),
               found.fsType.isEmpty() ? QStringLiteral("no file system") : found.fsType,
               found.fsVersion, found.label, QString::number(found.clusterBytes()),
               grouped(found.clusterCount));
  FormatCheck check;
  contract::FormatVerdict& verdict = check.verdict;
  verdict.matches = differences.isEmpty();
  const QString alignment =
      aligned ? QStringLiteral("; data area aligned to ") + alignmentText(expected.dataAlignment)
              : QString();
  check.line =
      verdict.matches
          ? QStringLiteral("Verified: ") + readBack + alignment + QStringLiteral(": as asked.")
          : QStringLiteral("Verification failed: ") + readBack + QStringLiteral(": ") +
                differences.join(QStringLiteral("; ")) + QLatin1Char('.');
  verdict.table = found.tableLabel.toStdString();
  verdict.partitionType = found.partitionType.toStdString();
  verdict.partitionStart = found.partitionStart;
  verdict.partitionSectors = found.partitionSectors;
  verdict.fileSystem = found.fsVersion.toStdString();
  verdict.label = found.label.toStdString();
  verdict.clusterBytes = found.clusterBytes();
  verdict.clusters = found.clusterCount;
  verdict.dataAlignment = aligned ? expected.dataAlignment : 0;
  verdict.fsckClean = found.fsckClean;
  return check;
}

}  // namespace tessaro
