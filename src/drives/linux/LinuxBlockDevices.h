// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>
#include <QString>

#include "drives/BlockDevice.h"
#include "drives/linux/LinuxDiskRules.h"
#include "drives/linux/LsblkDevice.h"

namespace tessaro {

// The list of Linux block devices `tessaro-cli list --all` shows, read from
// lsblk (LsblkDevice) and judged by LinuxDiskRules.

// What identifies a whole disk across runs: "wwn-<WWN>", else
// "<bus>-<model>_<serial>" with blanks as "_", else the kernel's name for it
// in byIdDir (/dev/disk/by-id); empty when nothing does. For any other
// device, its by-id name or empty.
QString linuxStableId(const LsblkDevice& device, const QString& sysfsRoot,
                      const QString& byIdDir = QStringLiteral("/dev/disk/by-id"));

// Every device of lsblk's tree, each once, in lsblk's order (a disk, then
// what is on it), with the reason it is not offered.
QList<BlockDevice> linuxBlockDevices(const std::vector<LsblkDevice>& tree, const QString& sysfsRoot,
                                     const QString& byIdDir = QStringLiteral("/dev/disk/by-id"));

}  // namespace tessaro
