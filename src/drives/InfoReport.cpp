// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/InfoReport.h"

#include "drives/ByteCount.h"
#include "drives/DevicePaths.h"
#include "drives/PropertyList.h"
#include "exec/Error.h"

namespace tessaro {
namespace {

const QString kDocumentStart = QStringLiteral("<?xml");

bool isBoolean(const QVariant& value) { return value.typeId() == QMetaType::Bool; }

bool isNumber(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
      return true;
    default:
      return false;
  }
}

QString yesNo(const QVariantMap& in, const QString& key) {
  const QVariant value = in.value(key);
  return isBoolean(value) && value.toBool() ? QStringLiteral("Yes") : QStringLiteral("No");
}

qint64 number(const QVariantMap& in, const QString& key) {
  const QVariant value = in.value(key);
  return isNumber(value) ? value.toLongLong() : 0;
}

}  // namespace

QStringList propertyListDocuments(const QString& output) {
  QStringList documents;
  if (!output.contains(kDocumentStart)) return documents;
  for (const QString& piece : output.split(kDocumentStart, Qt::SkipEmptyParts)) {
    documents.append(kDocumentStart + piece);
  }
  return documents;
}

QVariantMap propertyListDictionary(const QString& document) {
  try {
    const QVariant value = parsePropertyList(document);
    if (value.typeId() == QMetaType::QVariantMap) return value.toMap();
  } catch (const Error&) {
    // An unreadable document reads as an empty one.
  }
  return {};
}

QString displayString(const QVariantMap& in, const QString& key) {
  const QVariant value = in.value(key);
  if (value.typeId() == QMetaType::QString) return value.toString();
  if (isBoolean(value)) return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
  if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble());
  if (isNumber(value)) return QString::number(value.toLongLong());
  return kMissingValueMark;
}

QStringList infoReportLines(const QString& output, const QString& bsdName) {
  const QStringList documents = propertyListDocuments(output);
  if (documents.isEmpty()) return {};

  QStringList lines;
  const QVariantMap disk = propertyListDictionary(documents[0]);
  QString device = displayString(disk, QStringLiteral("DeviceNode"));
  if (device.isEmpty()) device = devicePathOf(bsdName);
  lines << QStringLiteral("Device: ") + device;

  QString model = displayString(disk, QStringLiteral("DeviceModel"));
  if (model == kMissingValueMark) model = displayString(disk, QStringLiteral("MediaName"));
  lines << QStringLiteral("Model: ") + model + QStringLiteral("   Bus: ") +
               displayString(disk, QStringLiteral("BusProtocol"));
  lines << QStringLiteral("Removable: ") + yesNo(disk, QStringLiteral("Removable")) +
               QStringLiteral("   Ejectable: ") + yesNo(disk, QStringLiteral("Ejectable")) +
               QStringLiteral("   Whole Disk: ") + yesNo(disk, QStringLiteral("WholeDisk"));

  const QString parent = displayString(disk, QStringLiteral("ParentWholeDisk"));
  if (!parent.isEmpty() && parent != kMissingValueMark) {
    lines << QStringLiteral("Part of Whole: ") + parent;
  }
  const qint64 blockSize = number(disk, QStringLiteral("DeviceBlockSize"));
  if (blockSize >= 1) {
    lines << QStringLiteral("Device Block Size: ") + QString::number(blockSize) +
                 QStringLiteral(" Bytes");
  }
  const qint64 totalSize = number(disk, QStringLiteral("TotalSize"));
  if (totalSize >= 1) {
    lines << QStringLiteral("Disk Size: ") + formatByteCount(totalSize) + QStringLiteral(" (") +
                 QString::number(totalSize) + QStringLiteral(" Bytes)");
  }
  if (documents.size() < 2) return lines;

  const QVariantMap partition = propertyListDictionary(documents[1]);
  lines << QString() << QStringLiteral("Partition Info:");
  lines << QStringLiteral("Volume Name: ") + displayString(partition, QStringLiteral("VolumeName"));
  QString filesystem = displayString(partition, QStringLiteral("FilesystemName"));
  if (filesystem == kMissingValueMark) {
    filesystem = displayString(partition, QStringLiteral("FileSystemPersonality"));
  }
  if (filesystem != kMissingValueMark) lines << QStringLiteral("Filesystem: ") + filesystem;
  const QString mountPoint = displayString(partition, QStringLiteral("MountPoint"));
  lines << QStringLiteral("Mounted: ") +
               (mountPoint == kMissingValueMark ? QStringLiteral("No") : QStringLiteral("Yes")) +
               QStringLiteral("   Mount Point: ") + mountPoint;
  const qint64 clusterSize = number(partition, QStringLiteral("FilesystemBlockSize"));
  if (clusterSize >= 1) {
    lines << QStringLiteral("Filesystem Block Size: ") + QString::number(clusterSize) +
                 QStringLiteral(" Bytes");
  }
  return lines;
}

}  // namespace tessaro
