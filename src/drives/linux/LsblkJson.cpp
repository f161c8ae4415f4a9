// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LsblkJson.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include "drives/LogicalSectorSize.h"
#include "drives/linux/DeviceNumber.h"
#include "exec/Error.h"

namespace tessaro {

namespace {

struct DevicesText {
  Q_DECLARE_TR_FUNCTIONS(LinuxBlockDevices)
};

// Deeper than any stack of devices goes (disk, partition, RAID, LVM, crypt,
// ...): such a document is no lsblk output, and is refused rather than read
// in part, since what is left out could be a mounted system volume.
constexpr int kMaxDepth = 32;

std::string text(const QJsonObject& object, const char* key) {
  return object.value(QLatin1String(key)).toString().toStdString();
}

bool flag(const QJsonObject& object, const char* key) {
  const QJsonValue value = object.value(QLatin1String(key));
  // Older util-linux prints flags as "0"/"1".
  if (value.isString()) return value.toString() == QLatin1String("1");
  return value.toBool();
}

qint64 integer(const QJsonObject& object, const char* key) {
  const QJsonValue value = object.value(QLatin1String(key));
  if (value.isString()) return value.toString().toLongLong();
  return value.toInteger();
}

LsblkDevice read(const QJsonObject& object, int depth) {
  LsblkDevice device;
  device.name = text(object, "name");
  device.path = text(object, "path");
  device.number = parseDeviceNumber(text(object, "maj:min")).value_or(0);
  device.parentName = text(object, "pkname");
  device.type = text(object, "type");
  device.size = integer(object, "size");
  device.logicalSectorSize = lsblkLogicalSectorSize(object);
  device.logicalSectorSizeReported = object.contains(QLatin1String("log-sec"));
  device.removable = flag(object, "rm");
  device.hotplug = flag(object, "hotplug");
  device.transport = text(object, "tran");
  device.subsystems = text(object, "subsystems");
  device.vendor = text(object, "vendor");
  device.model = text(object, "model");
  device.serial = text(object, "serial");
  device.wwn = text(object, "wwn");
  device.readOnly = flag(object, "ro");
  device.fstype = text(object, "fstype");
  device.fsver = text(object, "fsver");
  device.label = text(object, "label");
  for (const QJsonValue& mountpoint : object.value(QLatin1String("mountpoints")).toArray())
    if (mountpoint.isString()) device.mountpoints.push_back(mountpoint.toString().toStdString());
  // lsblk before 2.37 prints one "mountpoint".
  const QJsonValue single = object.value(QLatin1String("mountpoint"));
  if (single.isString()) device.mountpoints.push_back(single.toString().toStdString());
  const QJsonArray children = object.value(QLatin1String("children")).toArray();
  if (!children.isEmpty() && depth >= kMaxDepth)
    throw Error(ErrorDomain::json, QJsonParseError::DeepNesting,
                DevicesText::tr("lsblk output could not be read: devices nested too deep"));
  for (const QJsonValue& child : children)
    if (child.isObject()) device.children.push_back(read(child.toObject(), depth + 1));
  return device;
}

// lsblk prints a column it has no value for as null.
QJsonValue textOrNull(const std::string& value) {
  if (value.empty()) return QJsonValue::Null;
  return QString::fromStdString(value);
}

QJsonObject write(const LsblkDevice& device) {
  QJsonObject object{
      {QStringLiteral("name"), QString::fromStdString(device.name)},
      {QStringLiteral("path"), QString::fromStdString(device.path)},
      {QStringLiteral("maj:min"), QString::fromStdString(deviceNumberText(device.number))},
      {QStringLiteral("pkname"), textOrNull(device.parentName)},
      {QStringLiteral("type"), QString::fromStdString(device.type)},
      {QStringLiteral("size"), qint64(device.size)},
      {QStringLiteral("rm"), device.removable},
      {QStringLiteral("hotplug"), device.hotplug},
      {QStringLiteral("ro"), device.readOnly},
      {QStringLiteral("tran"), textOrNull(device.transport)},
      {QStringLiteral("subsystems"), textOrNull(device.subsystems)},
      {QStringLiteral("vendor"), textOrNull(device.vendor)},
      {QStringLiteral("model"), textOrNull(device.model)},
      {QStringLiteral("serial"), textOrNull(device.serial)},
      {QStringLiteral("wwn"), textOrNull(device.wwn)},
      {QStringLiteral("fstype"), textOrNull(device.fstype)},
      {QStringLiteral("fsver"), textOrNull(device.fsver)},
      {QStringLiteral("label"), textOrNull(device.label)},
  };
  if (device.logicalSectorSizeReported)
    object.insert(QStringLiteral("log-sec"), device.logicalSectorSize
                                                 ? QJsonValue(*device.logicalSectorSize)
                                                 : QJsonValue(QStringLiteral("invalid")));
  QJsonArray mountpoints;
  for (const std::string& mountpoint : device.mountpoints)
    mountpoints.append(QString::fromStdString(mountpoint));
  if (mountpoints.isEmpty()) mountpoints.append(QJsonValue::Null);
  object.insert(QStringLiteral("mountpoints"), mountpoints);
  if (!device.children.empty()) {
    QJsonArray children;
    for (const LsblkDevice& child : device.children) children.append(write(child));
    object.insert(QStringLiteral("children"), children);
  }
  return object;
}

}  // namespace

QString LsblkJson::toText(const std::vector<LsblkDevice>& list) {
  QJsonArray devices;
  for (const LsblkDevice& device : list) devices.append(write(device));
  return QString::fromUtf8(
      QJsonDocument(QJsonObject{{QStringLiteral("blockdevices"), devices}}).toJson());
}

QStringList LsblkJson::arguments() {
  return {QStringLiteral("--json"), QStringLiteral("--bytes"), QStringLiteral("--output"),
          QStringLiteral("NAME,PATH,MAJ:MIN,PKNAME,TYPE,SIZE,LOG-SEC,RM,HOTPLUG,RO,TRAN,SUBSYSTEMS,"
                         "VENDOR,MODEL,SERIAL,WWN,FSTYPE,FSVER,LABEL,MOUNTPOINTS")};
}

std::vector<LsblkDevice> LsblkJson::parseList(const QString& text) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
  if (error.error != QJsonParseError::NoError)
    throw Error(ErrorDomain::json, error.error,
                DevicesText::tr("lsblk output could not be read: %1").arg(error.errorString()));
  const QJsonValue devices = document.object().value(QLatin1String("blockdevices"));
  if (!document.isObject() || !devices.isArray())
    throw Error(ErrorDomain::json, QJsonParseError::MissingObject,
                DevicesText::tr("lsblk output could not be read: no \"blockdevices\" list"));
  std::vector<LsblkDevice> list;
  for (const QJsonValue& device : devices.toArray())
    if (device.isObject()) list.push_back(read(device.toObject(), 0));
  return list;
}

LsblkDevice LsblkJson::fromJson(const QJsonObject& object) { return read(object, 0); }

std::optional<int> lsblkLogicalSectorSize(const QJsonObject& device) {
  const QJsonValue value = device.value(QLatin1String("log-sec"));
  if (value.isUndefined() || value.isNull()) return 512;
  qint64 bytes = 0;
  if (value.isString()) {
    bool ok = false;
    bytes = value.toString().toLongLong(&ok);
    if (!ok) return std::nullopt;
  } else if (value.isDouble()) {
    // A JSON number that is not a whole number in qint64's range reads as 0.
    bytes = value.toInteger(0);
  } else {
    return std::nullopt;
  }
  if (!isValidLogicalSectorSize(bytes)) return std::nullopt;
  return static_cast<int>(bytes);
}

}  // namespace tessaro
