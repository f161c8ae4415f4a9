// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/FormatVerification.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include "drives/FormatRequestRules.h"

namespace tessaro {

namespace {

QString grouped(qint64 number) {
  return QLocale(QLocale::English, QLocale::UnitedStates).toString(number);
}

QString unescapeBlkid(const QString& value) {
  QString result;
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) ++i;
    result += value[i];
  }
  return result;
}

}  // namespace

void readSfdiskDump(const QString& text, FormatReadBack& into) {
  static const QRegularExpression partitionLine(QStringLiteral("^\\S+\\s*:\\s*(.*)$"));
  into.partitionCount = 0;
  for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
    const QString line = rawLine.trimmed();
    if (line.startsWith(QLatin1String("label:"))) {
      into.tableLabel = line.mid(6).trimmed();
      continue;
    }
    if (!line.startsWith(QLatin1Char('/'))) continue;
    const auto match = partitionLine.match(line);
    if (!match.hasMatch()) continue;
    if (++into.partitionCount != 1) continue;
    for (const QString& field : match.captured(1).split(QLatin1Char(','))) {
      const QString key = field.section(QLatin1Char('='), 0, 0).trimmed();
      const QString value = field.section(QLatin1Char('='), 1).trimmed();
      if (key == QLatin1String("start")) into.partitionStart = value.toLongLong();
      if (key == QLatin1String("size")) into.partitionSectors = value.toLongLong();
      if (key == QLatin1String("type")) into.partitionType = value;
    }
  }
}

QMap<QString, QString> parseBlkidExport(const QString& text) {
  QMap<QString, QString> values;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals <= 0) continue;
    values.insert(line.left(equals), unescapeBlkid(line.mid(equals + 1)));
  }
  return values;
}

void readBlkidExport(const QString& text, FormatReadBack& into) {
  const auto values = parseBlkidExport(text);
  into.fsType = values.value(QStringLiteral("TYPE"));
  into.fsVersion = values.value(QStringLiteral("VERSION"));
  into.label = values.value(QStringLiteral("LABEL"));
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

FormatVerdict verifyFormat(const FormatExpectation& expected, const FormatReadBack& found) {
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
  const bool aligned = expected.dataAlignment > 0 && dataStart > 0 &&
                       dataStart % expected.dataAlignment == 0;
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
  FormatVerdict verdict;
  verdict.matches = differences.isEmpty();
  const QString alignment =
      aligned ? QStringLiteral("; data area aligned to ") + alignmentText(expected.dataAlignment)
              : QString();
  verdict.line = verdict.matches
                     ? QStringLiteral("Verified: ") + readBack + alignment +
                           QStringLiteral(": as asked.")
                     : QStringLiteral("Verification failed: ") + readBack + QStringLiteral(": ") +
                           differences.join(QStringLiteral("; ")) + QLatin1Char('.');
  return verdict;
}

}  // namespace tessaro
