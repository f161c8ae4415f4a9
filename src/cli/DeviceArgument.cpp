// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/DeviceArgument.h"

#include <sys/stat.h>

#include <QFile>
#include <QRegularExpression>

#include "drives/DiscoveryRule.h"

namespace tessaro {

std::optional<QString> DeviceArgument::kernelName(const QString& argument) {
  static const QRegularExpression name(QStringLiteral("\\A(?:/dev/)?([a-z][a-z0-9]{0,31})\\z"));
  const QRegularExpressionMatch match = name.match(argument);
  if (!match.hasMatch()) return std::nullopt;
  return match.captured(1);
}

bool DeviceArgument::isLoopDevice(const QString& kernelName) {
  static const QRegularExpression loop(QStringLiteral("\\Aloop[0-9]{1,9}\\z"));
  return loop.match(kernelName).hasMatch();
}

std::optional<Drive> DeviceArgument::attachedLoopDrive(const QString& kernelName,
                                                       const QString& sysfsRoot) {
  if (!isLoopDevice(kernelName)) return std::nullopt;
  // The size file counts 512-byte units whatever the device's sector size.
  QFile sizeFile(sysfsRoot + QStringLiteral("/class/block/") + kernelName +
                 QStringLiteral("/size"));
  if (!sizeFile.open(QIODevice::ReadOnly)) return std::nullopt;
  bool ok = false;
  const qint64 sectors = sizeFile.readAll().trimmed().toLongLong(&ok);
  if (!ok || sectors <= 0 || sectors > (std::numeric_limits<qint64>::max() / 512))
    return std::nullopt;
  return discoveredDrive(kernelName, QString(), sectors * 512);
}

QString DeviceArgument::diskIdentity(const QString& kernelName, const QString& sysfsRoot) {
  const QString device = sysfsRoot + QStringLiteral("/class/block/") + kernelName;
  QFile backing(device + QStringLiteral("/loop/backing_file"));
  struct stat file {};
  if (backing.open(QIODevice::ReadOnly) &&
      ::stat(backing.readAll().trimmed().constData(), &file) == 0) {
    return QStringLiteral("image %1:%2").arg(file.st_dev).arg(file.st_ino);
  }
  QFile number(device + QStringLiteral("/dev"));
  if (number.open(QIODevice::ReadOnly))
    return QStringLiteral("device ") + QString::fromLatin1(number.readAll().trimmed());
  return QStringLiteral("name ") + kernelName;
}

}  // namespace tessaro
