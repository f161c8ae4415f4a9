// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "drives/linux/LsblkDevice.h"
#include "helper/DiskLock.h"
#include "helper/HelperTools.h"
#include "helper/KernelDevice.h"
#include "helper/VerbRun.h"

namespace tessaro::helper {

inline const QString kSysfsRoot = QStringLiteral("/sys");

// The device a caller named, proven (KernelDevice::find); otherwise prints the
// refusal and stops: usage for a name of the wrong shape, noSuchDevice for one
// the kernel does not know, refusedDevice for a /dev node that is not that
// device, toolFailed when the kernel's tables cannot be read.
KernelDevice deviceNamed(const QString& name);

// Prints the lines of missing tools and stops with toolMissing when there are any.
void requireTools(const HelperTools& tools);

// bytes bytes of a device from offset (SectorRead), read whole; none with why
// in *failure ("Input/output error", "100 of 512 bytes").
std::optional<QByteArray> readSector(const QString& devicePath, qint64 offset, int bytes,
                                     QString* failure);

// The whole disk of device, read from the kernel as lsblk would print it
// (SysfsBlockTree), after the guard: a whole disk (or loop device) that
// holds nothing of the running system and that is either a drive discovery
// offers or a loop device, with device being the disk itself or one of its
// partitions, by name and by device number; for a loop device, what it
// serves passes too, and no loop device serves the disk or a partition of it
// (loopRefusal). Prints the refusal and stops with refusedDevice otherwise
// (deviceChanged when the number is another's, noSuchDevice when the disk is
// gone, toolFailed when a table of the kernel's cannot be read: "could not
// read ...").
LsblkDevice guardedDisk(const KernelDevice& device);

// Device paths under tree (tree included) that have a file system mounted,
// deepest first, so that unmounting them in order works.
QStringList mountedDevices(const LsblkDevice& tree);

}  // namespace tessaro::helper

namespace tessaro::helper {

// Locks the whole disk of device into lock and has run check its identity
// from now on; prints why and stops (deviceBusy, deviceChanged, noSuchDevice,
// toolFailed) when it cannot.
void lockDisk(DiskLock& lock, VerbRun& run, const KernelDevice& device);

// Where device is mounted now (MountInfo::targetsOf); stops with toolFailed
// when the mount table cannot be read (that never counts as "not mounted").
QStringList readMountTargets(const KernelDevice& device);

}  // namespace tessaro::helper

namespace tessaro::helper {

// Whether NAME=VALUE is a language variable the helper passes on to the tools
// it runs as root: LANG or LC_* holding one locale name ("de_DE.UTF-8",
// "sr_RS@latin", "C"), LANGUAGE a colon-separated list of them. Never a path:
// glibc loads a locale named with a slash from that path.
bool isLanguageVariable(const QByteArray& variable);

}  // namespace tessaro::helper
