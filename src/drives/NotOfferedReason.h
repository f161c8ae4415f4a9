// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// Why a block device is not offered as a drive to format, in one short
// phrase the window and the command line both show ("internal disk",
// "holds /", "a partition of sda"), and a key that stays the same in every
// language, for JSON.
class NotOfferedReason {
 public:
  enum class Kind {
    internalDisk,   // fixed, on an internal bus
    holdsSystem,    // detail: a mount point of the running system, "[SWAP]" for swap
    volumeMember,   // a member of LVM, RAID or an encrypted volume
    loopDevice,     // a disk image: taken when named explicitly
    virtualDevice,  // zram, ram, md, device-mapper, nbd, eMMC boot areas
    partition,      // detail: its disk
    volume,         // a volume built on another device; detail: that device
    opticalDrive,
    noMedium,  // size 0: a card reader or drive without its medium
    readOnly,
    notADisk,  // any other kind of device; detail: lsblk's type
  };

  explicit NotOfferedReason(Kind kind, QString detail = {})
      : kind_(kind), detail_(std::move(detail)) {}

  Kind kind() const { return kind_; }
  const QString& detail() const { return detail_; }

  // The phrase, translated.
  QString phrase() const;
  // "internal-disk", "holds-system", ...: the same in every language.
  QString key() const;

  bool operator==(const NotOfferedReason&) const = default;

 private:
  Kind kind_;
  QString detail_;
};

}  // namespace tessaro
