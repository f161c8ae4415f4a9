// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/BlockDeviceJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include "drives/NotOfferedPhrase.h"

namespace tessaro {

namespace {

QJsonValue text(const QString& value) { return value.isEmpty() ? QJsonValue() : QJsonValue(value); }

// The devices whose parent is `parent` (empty: those with no parent among
// them), each with its own children.
QJsonArray level(const QList<BlockDevice>& devices, const QSet<QString>& names,
                 const QString& parent, int depth) {
  QJsonArray list;
  for (const BlockDevice& device : devices) {
    const bool top = device.parent.isEmpty() || !names.contains(device.parent);
    if (parent.isEmpty() ? !top : device.parent != parent) continue;
    QJsonObject object = BlockDeviceJson::object(device);
    // lsblk nests no deeper than a disk's partitions' volumes' volumes; a
    // loop in the records ends here.
    if (depth < 8) {
      const QJsonArray children = level(devices, names, device.name, depth + 1);
      if (!children.isEmpty()) object.insert(QStringLiteral("children"), children);
    }
    list.append(object);
  }
  return list;
}

}  // namespace

QJsonObject BlockDeviceJson::object(const BlockDevice& device) {
  QJsonValue reason;
  if (device.reason) {
    reason = QJsonObject{{QStringLiteral("kind"), QString::fromStdString(device.reason->key())},
                         {QStringLiteral("message"), notOfferedPhrase(*device.reason)}};
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
      {QStringLiteral("log-sec"),
       device.logicalSectorSize > 0 ? QJsonValue(device.logicalSectorSize) : QJsonValue()},
      {QStringLiteral("type"), text(device.type)},
      {QStringLiteral("fstype"), text(device.fstype)},
      {QStringLiteral("mountpoints"), QJsonArray::fromStringList(device.mountpoints)},
      {QStringLiteral("offered"), device.offered()},
      {QStringLiteral("reason"), reason},
  };
}

QByteArray BlockDeviceJson::document(const QList<BlockDevice>& devices) {
  QSet<QString> names;
  for (const BlockDevice& device : devices) names.insert(device.name);
  return QJsonDocument(
             QJsonObject{{QStringLiteral("blockdevices"), level(devices, names, QString(), 0)}})
      .toJson(QJsonDocument::Indented);
}

}  // namespace tessaro
