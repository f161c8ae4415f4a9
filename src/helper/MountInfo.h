// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaro::helper {

// The kernel's table of mounts as /proc/self/mountinfo gives it, one line a
// mount ("36 35 98:0 /root /mnt/point rw,noatime master:1 - ext4 /dev/sdb1
// rw"), in the order the kernel lists them. The kernel writes a blank, tab,
// line feed or backslash in the root, the mount point, the file system type
// and the source as an octal escape (\040 \011 \012 \134); they are decoded
// here.
class MountInfo {
 public:
  struct Mount {
    dev_t number = 0;  // of the file system: a device's number, or an
                       // anonymous one (btrfs, overlay, tmpfs)
    QString root;      // what of the file system is mounted ("/" for all of it)
    QString target;    // where
    QString fileSystemType;
    QString source;    // what it was mounted from, as given: "/dev/sdb1"
  };

  // The table from text; none when a line is not a mount line (fewer fields
  // than the kernel writes, no " - " separator, a number that is no number,
  // a path that is not absolute), so that a table that cannot be read is
  // never taken for one that has no mount of a device.
  static std::optional<MountInfo> parse(const QByteArray& text);
  // /proc/self/mountinfo; none when it cannot be read or parsed, or is empty
  // (there is always a root file system), with why in *failure when given
  // ("could not read /proc/self/mountinfo: Input/output error").
  static std::optional<MountInfo> readFile(
      const QString& path = QStringLiteral("/proc/self/mountinfo"), QString* failure = nullptr);

  const QList<Mount>& mounts() const { return mounts_; }

  // Where the device with number and node path is mounted, last mounted
  // first, as lsblk's MOUNTPOINTS: every mount of its number (bind mounts
  // included) and every mount whose source is its path (btrfs shows an
  // anonymous number).
  QStringList targetsOf(dev_t number, const QString& devicePath) const;

  // A field as the kernel escapes it, decoded: a backslash and three octal
  // digits are one byte; anything else stays as it is.
  static QByteArray unescape(const QByteArray& field);

 private:
  QList<Mount> mounts_;
};

}  // namespace tessaro::helper
