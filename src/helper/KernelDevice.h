// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <QString>

namespace tessaro::helper {

// A block device named by the caller with its kernel name, proven to be one:
// the name has the kernel's shape, /sys/class/block/NAME exists, and /dev/NAME
// is a block node (not a link) of the same device number. The helper builds
// every device path it uses from such a name and never takes one from its
// caller.
class KernelDevice {
 public:
  // The device, or none with why in *refusal: a name of the wrong shape or one
  // the kernel does not know (usage), or a /dev node that is not that device.
  static KernelDevice find(const QString& name, QString* refusal, bool* usageError,
                           const QString& sysRoot = QStringLiteral("/sys"),
                           const QString& devRoot = QStringLiteral("/dev"));

  // "sdb", "sdb1", "mmcblk0p1", "loop3": a lower-case letter, then lower-case
  // letters and digits, at most 32 in all.
  static bool hasKernelNameShape(const QString& name);

  bool isValid() const { return !name_.isEmpty(); }
  const QString& name() const { return name_; }
  const QString& path() const { return path_; }  // /dev/NAME
  // The whole disk: the device itself, or the disk a partition belongs to.
  const QString& diskName() const { return diskName_; }
  bool isPartition() const { return diskName_ != name_; }
  dev_t number() const { return number_; }
  // The number as lsblk's MAJ:MIN shows it, "8:16".
  QString majorMinor() const;

  // Whether NAME still names this device (same number in sysfs and /dev, same
  // disk). Reads only.
  bool stillPresent(const QString& sysRoot = QStringLiteral("/sys"),
                    const QString& devRoot = QStringLiteral("/dev")) const;

 private:
  QString name_;
  QString path_;
  QString diskName_;
  dev_t number_ = 0;
};

// The device number sysfs gives for a block device ("8:16"), 0 when unreadable.
dev_t sysfsDeviceNumber(const QString& sysRoot, const QString& name);

}  // namespace tessaro::helper
