// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaro {

// One block device as lsblk printed it (util-linux 2.38, `--json --bytes`
// with the columns of arguments()), and the devices below it. Discovery and
// the helper's guard and information report all judge this one record:
// discovery reads it from one lsblk run, the helper from the kernel itself
// (helper/SysfsBlockTree), as lsblk would print it.
struct LsblkDevice {
  QString name;        // sdb, sdb1, loop0p1
  QString path;        // /dev/sdb
  QString majorMinor;  // MAJ:MIN, "8:16"
  QString parentName;  // PKNAME: the disk of a partition
  QString type;        // disk, part, loop, lvm, crypt, raid1, ...
  qint64 size = 0;
  // LOG-SEC: 512 when lsblk left it out, none when it is no valid size.
  std::optional<int> logicalSectorSize = 512;
  bool logicalSectorSizeReported = false;
  bool removable = false;  // RM
  bool hotplug = false;
  QString transport;   // TRAN
  QString subsystems;  // SUBSYSTEMS, ":"-separated
  QString vendor;
  QString model;
  QString serial;
  QString wwn;
  bool readOnly = false;  // RO
  QString fstype;
  QString fsver;
  QString label;
  QStringList mountpoints;  // "[SWAP]" for active swap
  QList<LsblkDevice> children;

  // The arguments after lsblk's path, before an optional device path.
  static QStringList arguments();
  // The "blockdevices" list. Raises Error(ErrorDomain::json, ...) when the
  // text is not lsblk's JSON.
  static QList<LsblkDevice> parseList(const QString& text);
  // One device object; what it lacks or holds in another type reads as
  // unset. Raises like parseList on a tree nested deeper than lsblk's.
  static LsblkDevice fromJson(const QJsonObject& object);

  // The device named name: this one or one below it.
  const LsblkDevice* find(const QString& deviceName) const;
};

}  // namespace tessaro
