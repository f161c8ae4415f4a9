// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "drives/NotOfferedReason.h"

namespace tessaro {

// One block device of the system, offered or not, in the terms of lsblk:
// what `tessaro-cli list --all` shows and its JSON holds. Texts are trimmed;
// what was not reported is empty.
struct BlockDevice {
  QString name;    // kernel name: sdb, sdb1, nvme0n1p3, vg-root
  QString path;    // /dev/sdb
  QString parent;  // the device it is part of, by kernel name; empty for a disk
  QString type;    // disk, part, loop, lvm, crypt, rom, ...
  // What identifies the device across runs and reboots: its WWN, its model
  // and serial number, or the kernel's by-id name; empty when it has none.
  QString id;
  qint64 size = 0;  // bytes
  QString model;
  QString vendor;
  QString product;  // vendor and model as one text, as the drive list shows them
  QString serial;
  QString transport;  // TRAN: usb, sata, nvme, ...
  bool removable = false;
  bool hotplug = false;
  bool readOnly = false;
  int logicalSectorSize = 512;
  QString fstype;
  QString fsver;
  QString label;
  QStringList mountpoints;
  std::optional<NotOfferedReason> reason;  // none: offered as a drive

  bool offered() const { return !reason.has_value(); }
  bool operator==(const BlockDevice&) const = default;
};

}  // namespace tessaro
