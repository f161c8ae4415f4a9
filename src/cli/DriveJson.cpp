// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/DriveJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tessaro {

QJsonObject DriveJson::object(const Drive& drive) {
  return QJsonObject{
      {QStringLiteral("id"), drive.id.toString(QUuid::WithoutBraces)},
      {QStringLiteral("bsdName"), drive.bsdName},
      {QStringLiteral("devicePath"), drive.devicePath},
      {QStringLiteral("description"), drive.description},
      {QStringLiteral("model"), drive.model},
      // Exact up to 2^53 bytes (8 PiB), far beyond any drive this formats.
      {QStringLiteral("size"), static_cast<double>(drive.size)},
  };
}

QByteArray DriveJson::array(const QList<Drive>& drives) {
  QJsonArray list;
  for (const Drive& drive : drives) list.append(object(drive));
  return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

}  // namespace tessaro
