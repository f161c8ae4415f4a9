// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>
#include <string>

#include "drives/DiskPlacement.h"
#include "drives/NotOfferedReason.h"
#include "drives/linux/LsblkDevice.h"

namespace tessaro {

// The rules by which discovery offers a Linux block device and the root
// helper's guard takes one, judged on the device as lsblk prints it
// (LsblkDevice, with the devices below it) and on what sysfs (below
// sysfsRoot) says of it. They touch no state besides reading sysfs.

// Devices that are never offered whatever they report: loop, zram, ram, md,
// device-mapper and nbd devices, and eMMC boot and RPMB areas.
bool isVirtualDeviceName(const std::string& name);

// True when the disk or anything below it is mounted outside /media and
// /run/media, is swap, or is an LVM, RAID or encrypted member (or such a
// volume). Such a disk holds the running system and is never touched.
bool holdsRunningSystem(const LsblkDevice& diskWithChildren);

// The bus in the vocabulary of isExternalBus: "usb" (TRAN or SUBSYSTEMS),
// "firewire" (TRAN sbp or SUBSYSTEMS), "sd" (an mmcblk disk whose sysfs
// device type is SD), "thunderbolt" (a removable PCI parent in sysfs), else
// TRAN (lower-case) or empty.
std::string linuxBus(const LsblkDevice& disk, const std::string& sysfsRoot);

// Removable is RM or an SD card; ejectable is a bus of usb, firewire, sd or
// thunderbolt; internal is neither.
DiskPlacement linuxPlacement(const LsblkDevice& disk, const std::string& sysfsRoot);

// Vendor and model as one text, without the blanks SCSI pads them with; the
// placeholder vendors "ATA" and PCI ids are left out. For an SD card, which
// has no model, the card's name from sysfs.
std::string linuxModel(const LsblkDevice& disk, const std::string& sysfsRoot);

// Why discovery does not offer a device lsblk lists at the top of its tree,
// first reason first: a loop or other virtual device, not a disk, no medium,
// read-only, holding the running system, internal. None: it is offered, a
// whole disk of non-zero size that is external or removable.
std::optional<NotOfferedReason> linuxNotOfferedReason(const LsblkDevice& diskWithChildren,
                                                      const std::string& sysfsRoot);

// Whether discovery may offer this disk: linuxNotOfferedReason gives none.
bool isOfferableDisk(const LsblkDevice& diskWithChildren, const std::string& sysfsRoot);

// Whether name is disk or one of its partitions by the kernel's naming
// (sdb, sdb1; mmcblk0, mmcblk0p1).
bool isSameOrPartitionOf(const std::string& name, const std::string& disk);

// Whether the device called name in sysfs, or the disk it is a partition of,
// could be offered: a whole disk that is not virtual and is removable, sits
// on USB or FireWire, is an SD card, or hangs off a hot-pluggable PCI port.
// False for a device sysfs does not know (any more).
bool couldBeOffered(const std::string& name, const std::string& sysfsRoot);

// The text without the blanks (spaces, tabs, line ends) around it.
std::string trimmed(const std::string& text);

}  // namespace tessaro
