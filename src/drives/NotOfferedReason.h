// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <utility>

#include "drives/Wording.h"

namespace tessaro {

// Why a block device is not offered as a drive to format, in one short
// phrase the window and the command line both show ("internal disk",
// "holds /", "a partition of sda"), and a key that stays the same in every
// language, for JSON. The phrase is English here, as the root helper prints
// it; the window and the command line show it translated (NotOfferedPhrase).
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

  explicit NotOfferedReason(Kind kind, std::string detail = {})
      : kind_(kind), detail_(std::move(detail)) {}

  Kind kind() const { return kind_; }
  const std::string& detail() const { return detail_; }

  // The phrase with "%1" where the detail goes, untranslated (translation
  // context "NotOfferedReason").
  const char* phraseTemplate() const;
  // The phrase in wording's language, the detail in it.
  std::string phrase(const Wording& wording = Wording::english()) const;
  // "internal-disk", "holds-system", ...: the same in every language.
  std::string key() const;

  bool operator==(const NotOfferedReason&) const = default;

 private:
  Kind kind_;
  std::string detail_;
};

}  // namespace tessaro
