// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/mac/PropertyListFacts.h"

#include <QStringList>
#include <QVariantMap>

#include "drives/mac/PropertyList.h"
#include "exec/Error.h"

namespace tessaro {
namespace {

const QString kDocumentStart = QStringLiteral("<?xml");

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

QVariantMap dictionary(const QString& document) {
  try {
    const QVariant value = parsePropertyList(document);
    if (value.typeId() == QMetaType::QVariantMap) return value.toMap();
  } catch (const Error&) {
    // An unreadable document reads as an empty one.
  }
  return {};
}

// Text as is, numbers in decimal (Booleans as 1 or 0); none for anything else.
std::optional<std::string> text(const QVariantMap& in, const QString& key) {
  const QVariant value = in.value(key);
  if (value.typeId() == QMetaType::QString) return value.toString().toStdString();
  if (value.typeId() == QMetaType::Bool) return value.toBool() ? "1" : "0";
  if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble()).toStdString();
  if (isNumber(value)) return QString::number(value.toLongLong()).toStdString();
  return std::nullopt;
}

std::optional<std::string> firstText(const QVariantMap& in, const QString& key,
                                     const QString& fallbackKey) {
  const auto value = text(in, key);
  return value ? value : text(in, fallbackKey);
}

bool flag(const QVariantMap& in, const QString& key) {
  const QVariant value = in.value(key);
  return value.typeId() == QMetaType::Bool && value.toBool();
}

qint64 size(const QVariantMap& in, const QString& key) {
  const QVariant value = in.value(key);
  return isNumber(value) ? value.toLongLong() : 0;
}

}  // namespace

std::optional<DriveFacts> driveFactsFromPropertyLists(const QString& output) {
  if (!output.contains(kDocumentStart)) return std::nullopt;
  const QStringList pieces = output.split(kDocumentStart, Qt::SkipEmptyParts);

  DriveFacts facts;
  const QVariantMap disk = dictionary(kDocumentStart + pieces.value(0));
  facts.disk.deviceNode = text(disk, QStringLiteral("DeviceNode"));
  facts.disk.model = firstText(disk, QStringLiteral("DeviceModel"), QStringLiteral("MediaName"));
  facts.disk.bus = text(disk, QStringLiteral("BusProtocol"));
  facts.disk.removable = flag(disk, QStringLiteral("Removable"));
  facts.disk.ejectable = flag(disk, QStringLiteral("Ejectable"));
  facts.disk.wholeDisk = flag(disk, QStringLiteral("WholeDisk"));
  facts.disk.parentWholeDisk = text(disk, QStringLiteral("ParentWholeDisk"));
  facts.disk.deviceBlockSize = size(disk, QStringLiteral("DeviceBlockSize"));
  facts.disk.totalSize = size(disk, QStringLiteral("TotalSize"));
  if (pieces.size() < 2) return facts;

  const QVariantMap partition = dictionary(kDocumentStart + pieces[1]);
  DriveFacts::Partition& part = facts.partition.emplace();
  part.deviceNode = text(partition, QStringLiteral("DeviceNode"));
  part.volumeName = text(partition, QStringLiteral("VolumeName"));
  part.filesystem = firstText(partition, QStringLiteral("FilesystemName"),
                              QStringLiteral("FileSystemPersonality"));
  part.mountPoint = text(partition, QStringLiteral("MountPoint"));
  part.filesystemBlockSize = size(partition, QStringLiteral("FilesystemBlockSize"));
  return facts;
}

}  // namespace tessaro
