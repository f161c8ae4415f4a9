// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/FormatVerification.h"

#include <QJsonObject>
#include <QJsonValue>

#include "contract/HelperContract.h"

namespace tessaro {

namespace {

bool readFlag(const QJsonObject& in, const char* key, bool& out) {
  const QJsonValue value = in.value(QLatin1StringView(key));
  out = value.toBool();
  return value.isBool();
}

bool readText(const QJsonObject& in, const char* key, QString& out) {
  const QJsonValue value = in.value(QLatin1StringView(key));
  out = value.toString();
  return value.isString();
}

// A whole number from -1 (not found), exact in a double.
bool readCount(const QJsonObject& in, const char* key, qint64& out) {
  const QJsonValue value = in.value(QLatin1StringView(key));
  out = value.toInteger(-2);
  return value.isDouble() && out >= -1 && out <= (qint64(1) << 53);
}

}  // namespace

std::optional<FormatVerification> FormatVerification::fromEvent(const HelperEvent& event) {
  const QJsonObject& in = event.fields();
  if (event.kind() != HelperEvent::Kind::result ||
      in.value(QStringLiteral("verb")) != QLatin1StringView(HelperContract::formatVerb))
    return std::nullopt;
  FormatVerification read;
  const bool whole = readFlag(in, "matches", read.matches) && readText(in, "table", read.table) &&
                     readText(in, "partitionType", read.partitionType) &&
                     readCount(in, "partitionStart", read.partitionStart) &&
                     readCount(in, "partitionSectors", read.partitionSectors) &&
                     readText(in, "fileSystem", read.fileSystem) &&
                     readText(in, "label", read.label) &&
                     readCount(in, "clusterBytes", read.clusterBytes) &&
                     readCount(in, "clusters", read.clusters) &&
                     readCount(in, "dataAlignment", read.dataAlignment) &&
                     readFlag(in, "fsckClean", read.fsckClean);
  if (!whole) return std::nullopt;
  return read;
}

}  // namespace tessaro
