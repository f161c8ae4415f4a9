// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DriveFactsJson.h"

#include <QCoreApplication>
#include <QJsonParseError>
#include <QLatin1StringView>

#include "exec/Error.h"
#include "contract/HelperContract.h"

namespace tessaro {
namespace {

struct FactsText {
  Q_DECLARE_TR_FUNCTIONS(DriveFactsJson)
};

QJsonValue text(const std::optional<QString>& value) {
  return value ? QJsonValue(*value) : QJsonValue();
}

// Written as an integer, exact at any size (a double is not past 2^53).
QJsonValue size(qint64 bytes) { return bytes >= 1 ? QJsonValue(bytes) : QJsonValue(); }

[[noreturn]] void unreadable(const QString& why) {
  throw Error(ErrorDomain::json, QJsonParseError::IllegalValue,
              FactsText::tr("the drive's facts could not be read: %1").arg(why));
}

QJsonValue field(const QJsonObject& in, const char* key) {
  const QJsonValue value = in.value(QLatin1String(key));
  if (value.isUndefined()) unreadable(QLatin1String(key) + QStringLiteral(" is missing"));
  return value;
}

std::optional<QString> readText(const QJsonObject& in, const char* key) {
  const QJsonValue value = field(in, key);
  if (value.isNull()) return std::nullopt;
  if (!value.isString()) unreadable(QLatin1String(key) + QStringLiteral(" is not a text"));
  return value.toString();
}

bool readFlag(const QJsonObject& in, const char* key) {
  const QJsonValue value = field(in, key);
  if (!value.isBool()) unreadable(QLatin1String(key) + QStringLiteral(" is not true or false"));
  return value.toBool();
}

qint64 readSize(const QJsonObject& in, const char* key) {
  const QJsonValue value = field(in, key);
  if (value.isNull()) return 0;
  // A whole number of bytes, within qint64; toInteger refuses fractions.
  const qint64 number = value.toInteger(-1);
  if (!value.isDouble() || number < 1)
    unreadable(QLatin1String(key) + QStringLiteral(" is not a number of bytes"));
  return number;
}

QJsonObject readObject(const QJsonObject& in, const char* key) {
  const QJsonValue value = field(in, key);
  if (!value.isObject()) unreadable(QLatin1String(key) + QStringLiteral(" is not an object"));
  return value.toObject();
}

}  // namespace

QJsonObject DriveFactsJson::toObject(const DriveFacts& facts) {
  const DriveFacts::Disk& disk = facts.disk;
  QJsonObject object{
      {QStringLiteral("disk"),
       QJsonObject{
           {QStringLiteral("deviceNode"), text(disk.deviceNode)},
           {QStringLiteral("model"), text(disk.model)},
           {QStringLiteral("bus"), text(disk.bus)},
           {QStringLiteral("removable"), disk.removable},
           {QStringLiteral("ejectable"), disk.ejectable},
           {QStringLiteral("wholeDisk"), disk.wholeDisk},
           {QStringLiteral("parentWholeDisk"), text(disk.parentWholeDisk)},
           {QStringLiteral("deviceBlockSize"), size(disk.deviceBlockSize)},
           {QStringLiteral("totalSize"), size(disk.totalSize)},
       }},
      {QStringLiteral("partition"), QJsonValue()},
  };
  if (const auto& partition = facts.partition) {
    object[QStringLiteral("partition")] = QJsonObject{
        {QStringLiteral("deviceNode"), text(partition->deviceNode)},
        {QStringLiteral("volumeName"), text(partition->volumeName)},
        {QStringLiteral("filesystem"), text(partition->filesystem)},
        {QStringLiteral("mounted"), partition->mountPoint.has_value()},
        {QStringLiteral("mountPoint"), text(partition->mountPoint)},
        {QStringLiteral("filesystemBlockSize"), size(partition->filesystemBlockSize)},
    };
  }
  return object;
}

HelperEvent DriveFactsJson::event(const DriveFacts& facts) {
  return HelperEvent::result(QLatin1StringView(HelperContract::infoVerb), toObject(facts));
}

DriveFacts DriveFactsJson::fromEvent(const std::optional<HelperEvent>& result) {
  if (!result || result->kind() != HelperEvent::Kind::result)
    unreadable(QStringLiteral("the helper told none"));
  const QJsonObject& top = result->fields();
  if (top.value(QStringLiteral("verb")) != QLatin1StringView(HelperContract::infoVerb))
    unreadable(QStringLiteral("the helper told another verb's result"));

  DriveFacts facts;
  const QJsonObject disk = readObject(top, "disk");
  facts.disk.deviceNode = readText(disk, "deviceNode");
  facts.disk.model = readText(disk, "model");
  facts.disk.bus = readText(disk, "bus");
  facts.disk.removable = readFlag(disk, "removable");
  facts.disk.ejectable = readFlag(disk, "ejectable");
  facts.disk.wholeDisk = readFlag(disk, "wholeDisk");
  facts.disk.parentWholeDisk = readText(disk, "parentWholeDisk");
  facts.disk.deviceBlockSize = readSize(disk, "deviceBlockSize");
  facts.disk.totalSize = readSize(disk, "totalSize");
  if (field(top, "partition").isNull()) return facts;

  const QJsonObject partition = readObject(top, "partition");
  DriveFacts::Partition& read = facts.partition.emplace();
  read.deviceNode = readText(partition, "deviceNode");
  read.volumeName = readText(partition, "volumeName");
  read.filesystem = readText(partition, "filesystem");
  read.mountPoint = readText(partition, "mountPoint");
  if (readFlag(partition, "mounted") != read.mountPoint.has_value())
    unreadable(QStringLiteral("mounted and mountPoint disagree"));
  read.filesystemBlockSize = readSize(partition, "filesystemBlockSize");
  return facts;
}

}  // namespace tessaro
