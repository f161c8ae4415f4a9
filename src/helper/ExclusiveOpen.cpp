// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/ExclusiveOpen.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "helper/SectorRead.h"

namespace tessaro::helper {

std::optional<QString> ExclusiveOpen::claim(const QString& devicePath, dev_t expectedNumber,
                                            bool writable) {
  release();
  const int fd = open(QFile::encodeName(devicePath).constData(),
                      (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_EXCL | O_NOFOLLOW);
  if (fd < 0) {
    if (errno == EBUSY) {
      return devicePath + QStringLiteral(
                              " is in use by another program (mounted, or held by RAID, LVM, "
                              "encryption or a file system spanning several drives)");
    }
    return devicePath + QStringLiteral(" could not be opened (") +
           QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char(')');
  }
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    const int error = errno;
    close(fd);
    return devicePath + QStringLiteral(" could not be read (") +
           QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char(')');
  }
  if (!S_ISBLK(info.st_mode) || info.st_rdev != expectedNumber) {
    close(fd);
    return devicePath + QStringLiteral(" is no longer the device that was checked");
  }
  fd_ = fd;
  return std::nullopt;
}

std::optional<QByteArray> ExclusiveOpen::read(qint64 offset, int bytes, QString* failure) const {
  std::string why = "it is not held";
  const std::optional<std::string> data =
      fd_ >= 0 ? SectorRead::at(fd_, std::uint64_t(offset), std::size_t(bytes), &why)
               : std::nullopt;
  if (!data) {
    *failure = QString::fromLocal8Bit(why);
    return std::nullopt;
  }
  return QByteArray::fromStdString(*data);
}

std::optional<QString> ExclusiveOpen::zero(qint64 offset, qint64 bytes) const {
  if (fd_ < 0) return QStringLiteral("it is not held");
  const QByteArray zeros(64 * 1024, '\0');
  qint64 done = 0;
  while (done < bytes) {
    const size_t chunk = size_t(std::min<qint64>(zeros.size(), bytes - done));
    const ssize_t wrote = ::pwrite(fd_, zeros.constData(), chunk, off_t(offset + done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      return wrote < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                       : QStringLiteral("nothing was written at byte %1").arg(offset + done);
    }
    done += wrote;
  }
  while (::fdatasync(fd_) != 0) {
    if (errno != EINTR) return QString::fromLocal8Bit(std::strerror(errno));
  }
  return std::nullopt;
}

void ExclusiveOpen::release() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

}  // namespace tessaro::helper
