// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <optional>

#include "drives/Drive.h"

namespace tessaro {

// The DEVICE of tessaro-cli's command line: a kernel name ("sdb") or its
// device path ("/dev/sdb"), nothing else: no other directory, no "..", no
// partition syntax beyond what the kernel name itself holds.
class DeviceArgument {
 public:
  // The kernel name, or none when the argument has neither form.
  static std::optional<QString> kernelName(const QString& argument);

  // loop0, loop1, ...: disk images attached with losetup. Discovery never
  // lists them; the command line takes them when the user names one.
  static bool isLoopDevice(const QString& kernelName);

  // A loop device with an image attached, as a drive record; none when the
  // device does not exist or has nothing attached (size 0).
  static std::optional<Drive> attachedLoopDrive(const QString& kernelName,
                                                const QString& sysfsRoot = QStringLiteral("/sys"));

  // What the disk behind a kernel name is, so that two names for one disk
  // are told: the image a loop device serves (its file's device and inode),
  // else the device number; the name itself where neither can be read.
  static QString diskIdentity(const QString& kernelName,
                              const QString& sysfsRoot = QStringLiteral("/sys"));
};

}  // namespace tessaro
