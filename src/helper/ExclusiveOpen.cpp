// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/ExclusiveOpen.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

namespace tessaro::helper {

std::optional<QString> ExclusiveOpen::claim(const QString& devicePath, dev_t expectedNumber) {
  release();
  const int fd =
      open(QFile::encodeName(devicePath).constData(), O_RDONLY | O_CLOEXEC | O_EXCL | O_NOFOLLOW);
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
  if (fstat(fd, &info) != 0 || !S_ISBLK(info.st_mode) || info.st_rdev != expectedNumber) {
    close(fd);
    return devicePath + QStringLiteral(" is no longer the device that was checked");
  }
  fd_ = fd;
  return std::nullopt;
}

QByteArray ExclusiveOpen::read(qint64 offset, int bytes) const {
  QByteArray data(bytes, Qt::Uninitialized);
  qsizetype done = 0;
  while (fd_ >= 0 && done < bytes) {
    const ssize_t got = pread(fd_, data.data() + done, size_t(bytes - done), offset + done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += got;
  }
  data.truncate(done);
  return data;
}

void ExclusiveOpen::release() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

}  // namespace tessaro::helper
