// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/NotOfferedReason.h"

#include <QCoreApplication>

namespace tessaro {

namespace {
struct ReasonText {
  Q_DECLARE_TR_FUNCTIONS(NotOfferedReason)
};
}  // namespace

QString NotOfferedReason::phrase() const {
  switch (kind_) {
    case Kind::internalDisk:
      return ReasonText::tr("internal disk");
    case Kind::holdsSystem:
      if (detail_ == QLatin1String("[SWAP]")) return ReasonText::tr("holds swap space");
      //: %1 is a mount point of the running system, such as / or /boot/efi.
      return ReasonText::tr("holds %1").arg(detail_);
    case Kind::volumeMember:
      return ReasonText::tr("part of an LVM, RAID or encrypted volume");
    case Kind::loopDevice:
      return ReasonText::tr("loop device: name it explicitly");
    case Kind::virtualDevice:
      return ReasonText::tr("virtual device");
    case Kind::partition:
      return ReasonText::tr("a partition of %1").arg(detail_);
    case Kind::volume:
      return ReasonText::tr("a volume on %1").arg(detail_);
    case Kind::opticalDrive:
      return ReasonText::tr("optical drive");
    case Kind::noMedium:
      return ReasonText::tr("no medium");
    case Kind::readOnly:
      return ReasonText::tr("read-only");
    case Kind::notADisk:
      return ReasonText::tr("not a disk (%1)").arg(detail_);
  }
  return {};
}

QString NotOfferedReason::key() const {
  switch (kind_) {
    case Kind::internalDisk:
      return QStringLiteral("internal-disk");
    case Kind::holdsSystem:
      return QStringLiteral("holds-system");
    case Kind::volumeMember:
      return QStringLiteral("volume-member");
    case Kind::loopDevice:
      return QStringLiteral("loop-device");
    case Kind::virtualDevice:
      return QStringLiteral("virtual-device");
    case Kind::partition:
      return QStringLiteral("partition");
    case Kind::volume:
      return QStringLiteral("volume");
    case Kind::opticalDrive:
      return QStringLiteral("optical-drive");
    case Kind::noMedium:
      return QStringLiteral("no-medium");
    case Kind::readOnly:
      return QStringLiteral("read-only");
    case Kind::notADisk:
      return QStringLiteral("not-a-disk");
  }
  return {};
}

}  // namespace tessaro
