// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/InfoFactsJson.h"

#include "drives/DevicePaths.h"
#include "drives/InfoReport.h"

namespace tessaro {

namespace {

QJsonValue text(const QVariantMap& in, const QString& key) {
  const QString value = displayString(in, key);
  return value == kMissingValueMark ? QJsonValue() : QJsonValue(value);
}

QJsonValue firstText(const QVariantMap& in, const QString& key, const QString& fallbackKey) {
  const QJsonValue value = text(in, key);
  return value.isNull() ? text(in, fallbackKey) : value;
}

bool flag(const QVariantMap& in, const QString& key) {
  const QVariant value = in.value(key);
  return value.typeId() == QMetaType::Bool && value.toBool();
}

// Sizes are whole numbers; the report leaves out those below 1.
QJsonValue size(const QVariantMap& in, const QString& key) {
  const QVariant value = in.value(key);
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
      if (value.toLongLong() >= 1) return static_cast<double>(value.toLongLong());
      break;
    default:
      break;
  }
  return QJsonValue();
}

}  // namespace

QJsonObject InfoFactsJson::fromReportOutput(const QString& output, const QString& bsdName) {
  const QStringList documents = propertyListDocuments(output);
  const QVariantMap disk =
      documents.isEmpty() ? QVariantMap() : propertyListDictionary(documents[0]);
  QJsonValue deviceNode = text(disk, QStringLiteral("DeviceNode"));
  if (deviceNode.toString().isEmpty() && !deviceNode.isNull()) deviceNode = devicePathOf(bsdName);

  QJsonObject facts{
      {QStringLiteral("disk"),
       QJsonObject{
           {QStringLiteral("deviceNode"), deviceNode},
           {QStringLiteral("model"),
            firstText(disk, QStringLiteral("DeviceModel"), QStringLiteral("MediaName"))},
           {QStringLiteral("bus"), text(disk, QStringLiteral("BusProtocol"))},
           {QStringLiteral("removable"), flag(disk, QStringLiteral("Removable"))},
           {QStringLiteral("ejectable"), flag(disk, QStringLiteral("Ejectable"))},
           {QStringLiteral("wholeDisk"), flag(disk, QStringLiteral("WholeDisk"))},
           {QStringLiteral("parentWholeDisk"), text(disk, QStringLiteral("ParentWholeDisk"))},
           {QStringLiteral("deviceBlockSize"), size(disk, QStringLiteral("DeviceBlockSize"))},
           {QStringLiteral("totalSize"), size(disk, QStringLiteral("TotalSize"))},
       }},
      {QStringLiteral("partition"), QJsonValue()},
  };
  if (documents.size() < 2) return facts;

  const QVariantMap partition = propertyListDictionary(documents[1]);
  const QJsonValue mountPoint = text(partition, QStringLiteral("MountPoint"));
  facts[QStringLiteral("partition")] = QJsonObject{
      {QStringLiteral("deviceNode"), text(partition, QStringLiteral("DeviceNode"))},
      {QStringLiteral("volumeName"), text(partition, QStringLiteral("VolumeName"))},
      {QStringLiteral("filesystem"), firstText(partition, QStringLiteral("FilesystemName"),
                                               QStringLiteral("FileSystemPersonality"))},
      {QStringLiteral("mounted"), !mountPoint.isNull()},
      {QStringLiteral("mountPoint"), mountPoint},
      {QStringLiteral("filesystemBlockSize"),
       size(partition, QStringLiteral("FilesystemBlockSize"))},
  };
  return facts;
}

}  // namespace tessaro
