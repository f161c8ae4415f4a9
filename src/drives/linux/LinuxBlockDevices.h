// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "drives/DiscoveryRule.h"

namespace tessaro {

// What Tessaro knows about Linux block devices, read from lsblk's JSON output
// (util-linux 2.38, `--json --bytes` with the columns of lsblkArguments) and
// from sysfs. Everything here takes the device as lsblk printed it, with its
// "children" tree, and touches no state besides reading sysfs.

// The arguments after lsblk's path, before an optional device path.
QStringList lsblkArguments();

// The "blockdevices" array. Raises Error(ErrorDomain::json, ...) when the
// text is not lsblk's JSON.
QJsonArray parseLsblkDevices(const QString& text);

// Devices that are never offered whatever they report: loop, zram, ram, md,
// device-mapper and nbd devices, and eMMC boot and RPMB areas.
bool isVirtualDeviceName(const QString& name);

// True when the disk or anything below it is mounted outside /media and
// /run/media, is swap, or is an LVM, RAID or encrypted member (or such a
// volume). Such a disk holds the running system and is never touched.
bool holdsRunningSystem(const QJsonObject& lsblkDiskWithChildren);

// The bus in the vocabulary of externalBusProtocols: "usb" (TRAN or
// SUBSYSTEMS), "firewire" (TRAN sbp or SUBSYSTEMS), "sd" (an mmcblk disk whose
// sysfs device type is SD), "thunderbolt" (a removable PCI parent in sysfs),
// else TRAN or empty.
QString linuxBus(const QJsonObject& disk, const QString& sysfsRoot);

// Removable is RM or an SD card; ejectable is a bus of usb, firewire, sd or
// thunderbolt; internal is neither.
DiskPlacement linuxPlacement(const QJsonObject& disk, const QString& sysfsRoot);

// Vendor and model as one text, without the blanks SCSI pads them with; the
// placeholder vendors "ATA" and PCI ids are left out. For an SD card, which
// has no model, the card's name from sysfs.
QString linuxModel(const QJsonObject& disk, const QString& sysfsRoot);

qint64 lsblkSize(const QJsonObject& device);

// Whether discovery may offer this disk: a whole disk of non-zero size, not
// virtual, not holding the running system, external or removable.
bool isOfferableDisk(const QJsonObject& lsblkDiskWithChildren, const QString& sysfsRoot);

}  // namespace tessaro
