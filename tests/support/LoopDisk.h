// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace tessaro::test {

// A small drive (64 MiB unless asked) with something on it to lose, unless
// asked blank: an MBR, one FAT32 partition from 1 MiB labelled PRECIOUS holding a file of data,
// on a loop device that this process attached itself. The image lives in a directory of its own and
// goes away with the object.
//
// Loop numbers are shared with everyone on the machine: the object only ever
// detaches the loop device while that device still serves its own image, so
// a number that was freed and taken by someone else is left alone.
class LoopDisk {
 public:
  static constexpr qint64 kPartitionOffset = 1024 * 1024;

  struct Options {
    qint64 bytes = 64 * 1024 * 1024;
    bool dirty = false;     // the file system's dirty flag set, so that a repair writes
    bool attach = true;     // attach at once, else only by attachAs()
    bool blank = false;     // nothing on it: no partition table, no file system, no data
    bool readOnly = false;  // attached read-only
    int sectorBytes = 512;  // the loop device's logical sector size
    QString over;           // a loop device over this file or device instead, with no image
  };

  LoopDisk() : LoopDisk(Options{}) {}
  explicit LoopDisk(const Options& options);
  ~LoopDisk();

  // Whether the image was made (and, when asked, attached with its partition).
  bool ready() const { return ready_; }
  // The kernel name the image was last attached under ("loop7"); empty before.
  const QString& name() const { return name_; }
  QString partitionName() const { return name_ + QStringLiteral("p1"); }
  QString devicePath() const { return QStringLiteral("/dev/") + name_; }
  QString partitionPath() const { return QStringLiteral("/dev/") + partitionName(); }
  QString imagePath() const { return dir_.filePath(QStringLiteral("disk.img")); }

  // Whether name() is still a loop device serving this image (or what it was made over).
  bool attached() const;
  // Attaches the image under the given loop name (losetup /dev/NAME IMAGE);
  // false when the kernel refuses, for example because the number is in use.
  bool attachAs(const QString& name);
  // Detaches the loop device, when it still serves this image. The kernel
  // keeps a device that someone holds open bound until the last close.
  void detach();

  // A fingerprint of every byte of the drive (see fingerprintOfFile). What
  // writers left in the loop device's caches is flushed to the image first.
  QString hash() const;
  // The label and type of the file system at 1 MiB, as blkid reads them from
  // the image ("FAT32 NAME"); none when blkid finds no FAT file system there.
  std::optional<QString> fatLabel() const;

 private:
  bool makeImage(const Options& options);
  void scanPartitions() const;

  QTemporaryDir dir_;
  QString backing_;  // what the loop device serves
  QString name_;
  bool ready_ = false;
};

}  // namespace tessaro::test
