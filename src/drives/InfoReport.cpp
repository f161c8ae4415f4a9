// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/InfoReport.h"

#include <QCoreApplication>

#include "drives/ByteCount.h"
#include "drives/DevicePaths.h"
#include "drives/mac/PropertyList.h"
#include "exec/Error.h"

namespace tessaro {
namespace {

const QString kDocumentStart = QStringLiteral("<?xml");

struct ReportText {
  Q_DECLARE_TR_FUNCTIONS(InfoReport)
};

QString yesNo(bool yes) { return yes ? ReportText::tr("Yes") : ReportText::tr("No"); }

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
  return yesNo(isBoolean(value) && value.toBool());
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
  lines << ReportText::tr("Device: %1").arg(device);

  QString model = displayString(disk, QStringLiteral("DeviceModel"));
  if (model == kMissingValueMark) model = displayString(disk, QStringLiteral("MediaName"));
  lines << ReportText::tr("Model: %1   Bus: %2")
               .arg(model, displayString(disk, QStringLiteral("BusProtocol")));
  lines << ReportText::tr("Removable: %1   Ejectable: %2   Whole Disk: %3")
               .arg(yesNo(disk, QStringLiteral("Removable")),
                    yesNo(disk, QStringLiteral("Ejectable")),
                    yesNo(disk, QStringLiteral("WholeDisk")));

  const QString parent = displayString(disk, QStringLiteral("ParentWholeDisk"));
  if (!parent.isEmpty() && parent != kMissingValueMark) {
    lines << ReportText::tr("Part of Whole: %1").arg(parent);
  }
  const qint64 blockSize = number(disk, QStringLiteral("DeviceBlockSize"));
  if (blockSize >= 1) {
    lines << ReportText::tr("Device Block Size: %1 Bytes").arg(blockSize);
  }
  const qint64 totalSize = number(disk, QStringLiteral("TotalSize"));
  if (totalSize >= 1) {
    lines << ReportText::tr("Disk Size: %1 (%2 Bytes)")
                 .arg(formatByteCount(totalSize), QString::number(totalSize));
  }
  if (documents.size() < 2) return lines;

  const QVariantMap partition = propertyListDictionary(documents[1]);
  lines << QString() << ReportText::tr("Partition Info:");
  lines << ReportText::tr("Volume Name: %1")
               .arg(displayString(partition, QStringLiteral("VolumeName")));
  QString filesystem = displayString(partition, QStringLiteral("FilesystemName"));
  if (filesystem == kMissingValueMark) {
    filesystem = displayString(partition, QStringLiteral("FileSystemPersonality"));
  }
  if (filesystem != kMissingValueMark) lines << ReportText::tr("Filesystem: %1").arg(filesystem);
  const QString mountPoint = displayString(partition, QStringLiteral("MountPoint"));
  lines << ReportText::tr("Mounted: %1   Mount Point: %2")
               .arg(yesNo(mountPoint != kMissingValueMark), mountPoint);
  const qint64 clusterSize = number(partition, QStringLiteral("FilesystemBlockSize"));
  if (clusterSize >= 1) {
    lines << ReportText::tr("Filesystem Block Size: %1 Bytes").arg(clusterSize);
  }
  return lines;
}

}  // namespace tessaro
