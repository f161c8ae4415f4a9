// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/KernelDevice.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "helper/DeviceNumber.h"
#include "exec/VisibleText.h"

namespace tessaro::helper {

namespace {

QString readLine(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromLatin1(file.read(64)).trimmed();
}

// The number of a block node that is itself a block node (lstat: a link to
// one does not count); 0 otherwise.
dev_t nodeNumber(const QString& path) {
  struct stat info {};
  if (lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISBLK(info.st_mode)) return 0;
  return info.st_rdev;
}

}  // namespace

dev_t sysfsDeviceNumber(const QString& sysRoot, const QString& name) {
  return parseDeviceNumber(
             readLine(sysRoot + QStringLiteral("/class/block/") + name + QStringLiteral("/dev"))
                 .toLatin1())
      .value_or(0);
}

bool KernelDevice::hasKernelNameShape(const QString& name) {
  // [a-z][a-z0-9]{0,31}, read by hand as every run reads a few names.
  const auto lowerLetter = [](QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z'); };
  const auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
  if (name.isEmpty() || name.size() > 32 || !lowerLetter(name.front())) return false;
  return std::all_of(name.begin(), name.end(),
                     [&](QChar c) { return lowerLetter(c) || digit(c); });
}

KernelDevice KernelDevice::find(const QString& name, QString* refusal, bool* usageError,
                                const QString& sysRoot, const QString& devRoot) {
  KernelDevice device;
  *usageError = true;
  if (!hasKernelNameShape(name)) {
    *refusal = QStringLiteral("Refused: \"") + visibleText(name, LineFeeds::escape) +
               QStringLiteral("\" is not a kernel device name (such as sdb or sdb1).");
    return device;
  }
  const QString sysEntry = sysRoot + QStringLiteral("/class/block/") + name;
  const dev_t number = sysfsDeviceNumber(sysRoot, name);
  if (number == 0) {
    *refusal =
        QStringLiteral("Refused: there is no block device named ") + name + QStringLiteral(".");
    return device;
  }
  *usageError = false;
  const QString path = devRoot + QLatin1Char('/') + name;
  if (nodeNumber(path) != number) {
    *refusal = QStringLiteral("Refused: ") + path +
               QStringLiteral(" is not the block device the kernel calls ") + name +
               QStringLiteral(".");
    return device;
  }
  // A partition's sysfs directory lies inside its disk's.
  const QString real = QFileInfo(sysEntry).canonicalFilePath();
  QString diskName = name;
  if (QFileInfo::exists(sysEntry + QStringLiteral("/partition"))) {
    diskName = QFileInfo(QFileInfo(real).path()).fileName();
    if (!hasKernelNameShape(diskName) || sysfsDeviceNumber(sysRoot, diskName) == 0) {
      *refusal =
          QStringLiteral("Refused: the disk of ") + name + QStringLiteral(" cannot be told.");
      return device;
    }
  }
  device.name_ = name;
  device.path_ = path;
  device.diskName_ = diskName;
  device.number_ = number;
  return device;
}

bool KernelDevice::stillPresent(const QString& sysRoot, const QString& devRoot) const {
  if (!isValid()) return false;
  if (sysfsDeviceNumber(sysRoot, name_) != number_) return false;
  if (nodeNumber(devRoot + QLatin1Char('/') + name_) != number_) return false;
  if (!isPartition()) return true;
  const QString real =
      QFileInfo(sysRoot + QStringLiteral("/class/block/") + name_).canonicalFilePath();
  return QFileInfo(QFileInfo(real).path()).fileName() == diskName_;
}

QString KernelDevice::majorMinor() const {
  return QString::number(major(number_)) + QLatin1Char(':') + QString::number(minor(number_));
}

}  // namespace tessaro::helper
