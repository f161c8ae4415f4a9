// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/EraseQuestion.h"

#include <QCoreApplication>

#include "drives/FormatRequestRules.h"
#include "drives/NumberLocale.h"

namespace tessaro {

namespace {

struct QuestionText {
  Q_DECLARE_TR_FUNCTIONS(EraseQuestion)
};

QString size(qint64 bytes) { return formatByteCount(bytes, userNumberLocale()); }

// The checks of a request assume 512-byte sectors; so does what it is told.
constexpr int kAssumedSectorBytes = 512;

}  // namespace

QString EraseQuestion::driveName(const Drive& drive) {
  QStringList words;
  if (drive.size > 0) words << size(drive.size);
  if (!drive.model.isEmpty()) words << drive.model;
  words << QLatin1Char('(') + drive.devicePath + QLatin1Char(')');
  return words.join(QLatin1Char(' '));
}

QString EraseQuestion::formatQuestion(const Drive& drive) {
  return QuestionText::tr("Erase %1?").arg(driveName(drive));
}

QString EraseQuestion::formatWarning() {
  return QuestionText::tr("All data on this drive will be erased. This cannot be undone.");
}

QString EraseQuestion::clusterSize(qint64 bytes) {
  if (bytes >= 1024 && bytes % 1024 == 0)
    return QuestionText::tr("%1 KiB").arg(userNumberLocale().toString(bytes / 1024));
  return QuestionText::tr("%1 bytes").arg(userNumberLocale().toString(bytes));
}

QStringList EraseQuestion::formatDetails(const FormatRequest& request) {
  const qint64 driveBytes = request.drive.size;
  QStringList lines;
  lines << QuestionText::tr("Volume name: %1").arg(request.volumeName);
  if (request.clusterBytes) {
    lines << QuestionText::tr("Cluster size: %1").arg(clusterSize(*request.clusterBytes));
  } else if (driveBytes > 0) {
    const PartitionLayout layout =
        fat32PartitionLayout(driveBytes, kAssumedSectorBytes, request.partitionBytes);
    lines << QuestionText::tr("Cluster size: %1, the default for this drive")
                 .arg(clusterSize(formatClusterBytes(std::nullopt, layout, kAssumedSectorBytes)));
  } else {
    lines << QuestionText::tr("Cluster size: the default for the drive's size");
  }
  if (request.partitionBytes && (driveBytes <= 0 || *request.partitionBytes < driveBytes)) {
    lines << QuestionText::tr("Partition: %1 of the drive's %2; the rest stays unused")
                 .arg(size(alignedPartitionBytes(*request.partitionBytes)), size(driveBytes));
  } else if (const auto end =
                 mbrLimitedEnd(driveBytes, request.partitionBytes, kAssumedSectorBytes)) {
    lines << QuestionText::tr(
                 "Partition: one FAT32 partition over the first %1 of the drive's %2, as far "
                 "as an MBR partition table can address; the rest stays unused")
                 .arg(size(*end), size(driveBytes));
  } else {
    lines << QuestionText::tr("Partition: one FAT32 partition over the whole drive");
  }
  return lines;
}

QString EraseQuestion::probeQuestion(const Drive& drive) {
  return QuestionText::tr("Test the capacity of %1?").arg(driveName(drive));
}

QString EraseQuestion::probeWarning() {
  return QuestionText::tr(
      "The capacity test writes test data across the whole drive, erasing all data on it. "
      "This cannot be undone. Afterwards the drive holds no file system and must be formatted "
      "before it can be used.");
}

QString EraseQuestion::batchFormatQuestion(int count) {
  return QuestionText::tr("Erase these %n drives?", nullptr, count);
}

QString EraseQuestion::batchFormatWarning() {
  return QuestionText::tr(
      "All data on each of these drives will be erased. This cannot be undone.");
}

QString EraseQuestion::batchProbeQuestion(int count) {
  return QuestionText::tr("Test the capacity of these %n drives?", nullptr, count);
}

QString EraseQuestion::batchProbeWarning() {
  return QuestionText::tr(
      "The capacity test writes test data across each whole drive, erasing all data on it. "
      "This cannot be undone. Afterwards the drives hold no file system and must be formatted "
      "before they can be used.");
}

}  // namespace tessaro
