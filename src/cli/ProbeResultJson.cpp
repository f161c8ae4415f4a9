// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/ProbeResultJson.h"

#include <QJsonValue>

namespace tessaro {

// The figures as the helper's result event carries them, with the drive and
// the sentence a person reads.
QJsonObject ProbeResultJson::object(const ProbeResult& result, const Drive& drive) {
  QJsonObject object = result.toJson();
  object.insert(QStringLiteral("device"), drive.devicePath);
  object.insert(QStringLiteral("summary"), result.verdict());
  return object;
}

}  // namespace tessaro
