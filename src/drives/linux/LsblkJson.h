// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "drives/linux/LsblkDevice.h"

namespace tessaro {

// lsblk's JSON output (util-linux 2.38, `--json --bytes`), read into the
// records discovery judges (LsblkDevice).
class LsblkJson {
 public:
  // The arguments after lsblk's path, before an optional device path.
  static QStringList arguments();
  // The "blockdevices" list. Raises Error(ErrorDomain::json, ...) when the
  // text is not lsblk's JSON.
  static std::vector<LsblkDevice> parseList(const QString& text);
  // The document lsblk prints for these records with arguments(): what
  // parseList reads back as the same records.
  static QString toText(const std::vector<LsblkDevice>& list);
  // One device object; what it lacks or holds in another type reads as
  // unset. Raises like parseList on a tree nested deeper than lsblk's.
  static LsblkDevice fromJson(const QJsonObject& object);
};

// lsblk's "log-sec" of one device (a number, or a numeric text from older
// util-linux): 512 when lsblk left it out, none when it is not a valid size.
std::optional<int> lsblkLogicalSectorSize(const QJsonObject& device);

}  // namespace tessaro
