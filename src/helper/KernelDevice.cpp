// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/KernelDevice.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QFile>
#include <algorithm>
#include <cerrno>

#include "contract/HelperContract.h"
#include "drives/linux/DeviceNumber.h"
#include "drives/linux/KernelFile.h"
#include "exec/VisibleText.h"

namespace tessaro::helper {

namespace {

std::string local(const QString& path) { return QFile::encodeName(path).toStdString(); }

StopReason unreadable(const std::string& path, int error) {
  return {HelperContract::toolFailed, QStringLiteral("Failed: ") +
                                          QString::fromStdString(KernelFile::failure(path, error)) +
                                          QLatin1Char('.')};
}

// The number of a block node that is itself a block node (lstat: a link to
// one does not count); 0 when it is none. None with why when it cannot be
// looked at.
std::optional<dev_t> nodeNumber(const QString& path, StopReason* why) {
  struct stat info {};
  if (lstat(QFile::encodeName(path).constData(), &info) != 0) {
    if (errno == ENOENT) return dev_t(0);
    *why = unreadable(local(path), errno);
    return std::nullopt;
  }
  return S_ISBLK(info.st_mode) ? info.st_rdev : dev_t(0);
}

// The name of the directory sysfs keeps a partition's disk in; none with why.
std::optional<QString> diskDirectoryName(const QString& sysEntry, StopReason* why) {
  const KernelFile::Bytes real = KernelFile::resolve(local(sysEntry));
  if (real.error != 0) {
    *why = real.error == ENOENT ? StopReason{HelperContract::noSuchDevice, QString()}
                                : unreadable(local(sysEntry), real.error);
    return std::nullopt;
  }
  const std::string path = real.bytes.substr(0, real.bytes.rfind('/'));
  return QFile::decodeName(QByteArray::fromStdString(path.substr(path.rfind('/') + 1)));
}

}  // namespace

std::optional<dev_t> sysfsDeviceNumber(const QString& sysRoot, const QString& name,
                                       StopReason* why) {
  const std::string path =
      local(sysRoot + QStringLiteral("/class/block/") + name + QStringLiteral("/dev"));
  const KernelFile::Bytes text = KernelFile::read(path, 64);
  if (text.error == ENOENT) {
    *why = {HelperContract::noSuchDevice,
            QStringLiteral("Refused: there is no block device named ") + name + QLatin1Char('.')};
    return std::nullopt;
  }
  if (text.error != 0) {
    *why = unreadable(path, text.error);
    return std::nullopt;
  }
  QByteArray number = QByteArray::fromStdString(text.bytes);
  if (number.endsWith('\n')) number.chop(1);
  const std::optional<dev_t> parsed = parseDeviceNumber(number.toStdString());
  if (!parsed || *parsed == 0) {
    *why = {HelperContract::toolFailed, QStringLiteral("Failed: ") + QString::fromStdString(path) +
                                            QStringLiteral(" holds no device number.")};
    return std::nullopt;
  }
  return parsed;
}

bool KernelDevice::hasKernelNameShape(const QString& name) {
  // [a-z][a-z0-9]{0,31}, read by hand as every run reads a few names.
  const auto lowerLetter = [](QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z'); };
  const auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
  if (name.isEmpty() || name.size() > 32 || !lowerLetter(name.front())) return false;
  return std::all_of(name.begin(), name.end(), [&](QChar c) { return lowerLetter(c) || digit(c); });
}

KernelDevice KernelDevice::find(const QString& name, StopReason* why, const QString& sysRoot,
                                const QString& devRoot) {
  KernelDevice device;
  if (!hasKernelNameShape(name)) {
    *why = {HelperContract::usage,
            QStringLiteral("Refused: \"") + visibleText(name, LineFeeds::escape) +
                QStringLiteral("\" is not a kernel device name (such as sdb or sdb1).")};
    return device;
  }
  const std::optional<dev_t> number = sysfsDeviceNumber(sysRoot, name, why);
  if (!number) return device;
  const QString path = devRoot + QLatin1Char('/') + name;
  const std::optional<dev_t> node = nodeNumber(path, why);
  if (!node) return device;
  if (*node != *number) {
    *why = {HelperContract::refusedDevice,
            QStringLiteral("Refused: ") + path +
                QStringLiteral(" is not the block device the kernel calls ") + name +
                QStringLiteral(".")};
    return device;
  }
  // A partition's sysfs directory lies inside its disk's.
  const QString sysEntry = sysRoot + QStringLiteral("/class/block/") + name;
  const std::string partitionFile = local(sysEntry + QStringLiteral("/partition"));
  const int partition = KernelFile::find(partitionFile);
  if (partition != 0 && partition != ENOENT) {
    *why = unreadable(partitionFile, partition);
    return device;
  }
  QString diskName = name;
  if (partition == 0) {
    const std::optional<QString> disk = diskDirectoryName(sysEntry, why);
    if (!disk) {
      if (why->status == HelperContract::noSuchDevice)
        *why = {
            HelperContract::noSuchDevice,
            QStringLiteral("Refused: there is no block device named ") + name + QLatin1Char('.')};
      return device;
    }
    if (!hasKernelNameShape(*disk)) {
      *why = {HelperContract::refusedDevice, QStringLiteral("Refused: sysfs keeps ") + name +
                                                 QStringLiteral(" in no disk's directory.")};
      return device;
    }
    if (!sysfsDeviceNumber(sysRoot, *disk, why)) return device;
    diskName = *disk;
  }
  device.name_ = name;
  device.path_ = path;
  device.diskName_ = diskName;
  device.number_ = *number;
  return device;
}

std::optional<StopReason> KernelDevice::change(const QString& sysRoot,
                                               const QString& devRoot) const {
  const StopReason replaced{HelperContract::deviceChanged,
                            QStringLiteral("Stopped: ") + path_ +
                                QStringLiteral(" is no longer the drive that was checked (it was "
                                               "removed or replaced).")};
  if (!isValid()) return replaced;
  StopReason why;
  const std::optional<dev_t> number = sysfsDeviceNumber(sysRoot, name_, &why);
  if (!number && why.status == HelperContract::noSuchDevice) {
    return StopReason{HelperContract::noSuchDevice, QStringLiteral("Stopped: ") + path_ +
                                                        QStringLiteral(" is no longer attached.")};
  }
  if (!number) return why;
  if (*number != number_) return replaced;
  const std::optional<dev_t> node = nodeNumber(devRoot + QLatin1Char('/') + name_, &why);
  if (!node) return why;
  if (*node != number_) return replaced;
  if (!isPartition()) return std::nullopt;
  const std::optional<QString> disk =
      diskDirectoryName(sysRoot + QStringLiteral("/class/block/") + name_, &why);
  if (!disk) return why.status == HelperContract::noSuchDevice ? replaced : why;
  if (*disk != diskName_) return replaced;
  return std::nullopt;
}

QString KernelDevice::majorMinor() const {
  return QString::number(major(number_)) + QLatin1Char(':') + QString::number(minor(number_));
}

}  // namespace tessaro::helper
