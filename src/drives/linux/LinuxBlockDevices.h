// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

#include "drives/BlockDevice.h"
#include "drives/DiscoveryRule.h"
#include "drives/NotOfferedReason.h"
#include "drives/linux/LsblkDevice.h"

namespace tessaro {

// What Tessaro knows about Linux block devices, read from lsblk (LsblkDevice)
// and from sysfs. Everything here takes the device as lsblk printed it, with
// the devices below it, and touches no state besides reading sysfs.

// Devices that are never offered whatever they report: loop, zram, ram, md,
// device-mapper and nbd devices, and eMMC boot and RPMB areas.
bool isVirtualDeviceName(const QString& name);

// True when the disk or anything below it is mounted outside /media and
// /run/media, is swap, or is an LVM, RAID or encrypted member (or such a
// volume). Such a disk holds the running system and is never touched.
bool holdsRunningSystem(const LsblkDevice& diskWithChildren);

// The bus in the vocabulary of externalBusProtocols: "usb" (TRAN or
// SUBSYSTEMS), "firewire" (TRAN sbp or SUBSYSTEMS), "sd" (an mmcblk disk whose
// sysfs device type is SD), "thunderbolt" (a removable PCI parent in sysfs),
// else TRAN or empty.
QString linuxBus(const LsblkDevice& disk, const QString& sysfsRoot);

// Removable is RM or an SD card; ejectable is a bus of usb, firewire, sd or
// thunderbolt; internal is neither.
DiskPlacement linuxPlacement(const LsblkDevice& disk, const QString& sysfsRoot);

// Vendor and model as one text, without the blanks SCSI pads them with; the
// placeholder vendors "ATA" and PCI ids are left out. For an SD card, which
// has no model, the card's name from sysfs.
QString linuxModel(const LsblkDevice& disk, const QString& sysfsRoot);

// Why discovery does not offer a device lsblk lists at the top of its tree,
// first reason first: a loop or other virtual device, not a disk, no medium,
// read-only, holding the running system, internal. None: it is offered, a
// whole disk of non-zero size that is external or removable.
std::optional<NotOfferedReason> linuxNotOfferedReason(const LsblkDevice& diskWithChildren,
                                                      const QString& sysfsRoot);


// Whether name is disk or one of its partitions by the kernel's naming
// (sdb, sdb1; mmcblk0, mmcblk0p1).
bool isSameOrPartitionOf(const QString& name, const QString& disk);

// Whether the device called name in sysfs, or the disk it is a partition of,
// could be offered: a whole disk that is not virtual and is removable, sits
// on USB or FireWire, is an SD card, or hangs off a hot-pluggable PCI port.
// False for a device sysfs does not know (any more).
bool couldBeOffered(const QString& name, const QString& sysfsRoot);

// Whether discovery may offer this disk: linuxNotOfferedReason gives none.
bool isOfferableDisk(const LsblkDevice& diskWithChildren, const QString& sysfsRoot);

// What identifies a whole disk across runs: "wwn-<WWN>", else
// "<bus>-<model>_<serial>" with blanks as "_", else the kernel's name for it
// in byIdDir (/dev/disk/by-id); empty when nothing does. For any other
// device, its by-id name or empty.
QString linuxStableId(const LsblkDevice& device, const QString& sysfsRoot,
                      const QString& byIdDir = QStringLiteral("/dev/disk/by-id"));

// Every device of lsblk's tree, each once, in lsblk's order (a disk, then
// what is on it), with the reason it is not offered.
QList<BlockDevice> linuxBlockDevices(const QList<LsblkDevice>& tree, const QString& sysfsRoot,
                                     const QString& byIdDir = QStringLiteral("/dev/disk/by-id"));

}  // namespace tessaro
