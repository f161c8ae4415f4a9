// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/NotOfferedReason.h"

namespace tessaro {

const char* NotOfferedReason::phraseTemplate() const {
  switch (kind_) {
    case Kind::internalDisk:
      return TESSARO_TRANSLATABLE("NotOfferedReason", "internal disk");
    case Kind::holdsSystem:
      if (detail_ == "[SWAP]") return TESSARO_TRANSLATABLE("NotOfferedReason", "holds swap space");
      //: %1 is a mount point of the running system, such as / or /boot/efi.
      return TESSARO_TRANSLATABLE("NotOfferedReason", "holds %1");
    case Kind::volumeMember:
      return TESSARO_TRANSLATABLE("NotOfferedReason", "part of an LVM, RAID or encrypted volume");
    case Kind::loopDevice:
      return TESSARO_TRANSLATABLE("NotOfferedReason", "loop device: name it explicitly");
    case Kind::virtualDevice:
      return TESSARO_TRANSLATABLE("NotOfferedReason", "virtual device");
    case Kind::partition:
      return TESSARO_TRANSLATABLE("NotOfferedReason", "a partition of %1");
    case Kind::volume:
      return TESSARO_TRANSLATABLE("NotOfferedReason", "a volume on %1");
    case Kind::opticalDrive:
      return TESSARO_TRANSLATABLE("NotOfferedReason", "optical drive");
    case Kind::noMedium:
      return TESSARO_TRANSLATABLE("NotOfferedReason", "no medium");
    case Kind::readOnly:
      return TESSARO_TRANSLATABLE("NotOfferedReason", "read-only");
    case Kind::notADisk:
      return TESSARO_TRANSLATABLE("NotOfferedReason", "not a disk (%1)");
  }
  return "";
}

std::string NotOfferedReason::phrase(const Wording& wording) const {
  return withArguments(wording.translated("NotOfferedReason", phraseTemplate()), {detail_});
}

std::string NotOfferedReason::key() const {
  switch (kind_) {
    case Kind::internalDisk:
      return "internal-disk";
    case Kind::holdsSystem:
      return "holds-system";
    case Kind::volumeMember:
      return "volume-member";
    case Kind::loopDevice:
      return "loop-device";
    case Kind::virtualDevice:
      return "virtual-device";
    case Kind::partition:
      return "partition";
    case Kind::volume:
      return "volume";
    case Kind::opticalDrive:
      return "optical-drive";
    case Kind::noMedium:
      return "no-medium";
    case Kind::readOnly:
      return "read-only";
    case Kind::notADisk:
      return "not-a-disk";
  }
  return {};
}

}  // namespace tessaro
