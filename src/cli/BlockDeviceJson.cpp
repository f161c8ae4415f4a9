// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/BlockDeviceJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tessaro {

namespace {

QJsonValue text(const QString& value) {
  return value.isEmpty() ? QJsonValue() : QJsonValue(value);
}

}  // namespace

QJsonObject BlockDeviceJson::object(const BlockDevice& device) {
  QJsonValue reason;
  if (device.reason) {
    reason = QJsonObject{{QStringLiteral("kind"), device.reason->key()},
                         {QStringLiteral("message"), device.reason->phrase()}};
  }
  return QJsonObject{
      {QStringLiteral("name"), device.name},
      {QStringLiteral("path"), device.path},
      {QStringLiteral("id"), text(device.id)},
      // Exact up to 2^53 bytes (8 PiB), far beyond any drive this formats.
      {QStringLiteral("size"), static_cast<double>(device.size)},
      {QStringLiteral("model"), text(device.model)},
      {QStringLiteral("vendor"), text(device.vendor)},
      {QStringLiteral("serial"), text(device.serial)},
      {QStringLiteral("tran"), text(device.transport)},
      {QStringLiteral("rm"), device.removable},
      {QStringLiteral("hotplug"), device.hotplug},
      {QStringLiteral("ro"), device.readOnly},
      {QStringLiteral("log-sec"), device.logicalSectorSize > 0
                                      ? QJsonValue(device.logicalSectorSize)
                                      : QJsonValue()},
      {QStringLiteral("type"), text(device.type)},
      {QStringLiteral("pkname"), text(device.parent)},
      {QStringLiteral("fstype"), text(device.fstype)},
      {QStringLiteral("mountpoints"), QJsonArray::fromStringList(device.mountpoints)},
      {QStringLiteral("offered"), device.offered()},
      {QStringLiteral("reason"), reason},
  };
}

QByteArray BlockDeviceJson::document(const QList<BlockDevice>& devices) {
  QJsonArray list;
  for (const BlockDevice& device : devices) list.append(object(device));
  return QJsonDocument(QJsonObject{{QStringLiteral("blockdevices"), list}})
      .toJson(QJsonDocument::Indented);
}

}  // namespace tessaro
