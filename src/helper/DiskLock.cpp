// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/DiskLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "contract/HelperContract.h"
#include "drives/linux/KernelFile.h"

namespace tessaro::helper {

std::optional<QString> readDiskseq(const QString& diskName, QString* failure,
                                   const QString& sysRoot) {
  const std::string path = QFile::encodeName(sysRoot + QStringLiteral("/class/block/") + diskName +
                                             QStringLiteral("/diskseq"))
                               .toStdString();
  const KernelFile::Bytes text = KernelFile::read(path, 64);
  if (text.error == ENOENT) return QString();  // a kernel without sequence numbers
  if (text.error != 0) {
    *failure = QString::fromStdString(KernelFile::failure(path, text.error));
    return std::nullopt;
  }
  return QString::fromLatin1(QByteArray::fromStdString(text.bytes)).trimmed();
}

DiskLock::Outcome DiskLock::lock(const KernelDevice& disk, QString* why) {
  release();
  const int fd = open(QFile::encodeName(disk.path()).constData(),
                      O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) {
    *why = QStringLiteral("Could not open ") + disk.path() + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(errno)) + QStringLiteral("; nothing was written.");
    return Outcome::failed;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    *why = QStringLiteral("Failed: could not read ") + disk.path() + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(errno)) + QStringLiteral("; nothing was written.");
    close(fd);
    return Outcome::failed;
  }
  if (!S_ISBLK(info.st_mode) || info.st_rdev != disk.number()) {
    close(fd);
    *why = QStringLiteral("Stopped: ") + disk.path() +
           QStringLiteral(" changed while it was being opened; nothing was written.");
    return Outcome::changed;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    if (error == EWOULDBLOCK) {
      *why = QStringLiteral("Refused: ") + disk.path() +
             QStringLiteral(
                 " is in use by another program (it holds the drive's lock); nothing "
                 "was written.");
      return Outcome::busy;
    }
    *why = QStringLiteral("Could not lock ") + disk.path() + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral("; nothing was written.");
    return Outcome::failed;
  }
  fd_ = fd;
  disk_ = disk;
  // Read after the lock, so that a disk swapped in between is not taken for
  // the one that was checked.
  QString failure;
  const std::optional<QString> diskseq = readDiskseq(disk.name(), &failure);
  std::optional<LoopBacking> loop;
  if (diskseq) loop = LoopBacking::of(disk, &failure);
  if (!failure.isEmpty()) {
    *why = QStringLiteral("Failed: ") + failure + QStringLiteral("; nothing was written.");
    release();
    return Outcome::failed;
  }
  diskseq_ = *diskseq;
  loop_ = loop;
  if (const auto change = changed()) {
    const bool failed = change->status == HelperContract::toolFailed;
    *why = QString::fromStdString(failed ? change->lineWithoutStop() + "; nothing was written."
                                         : change->line + " Nothing was written.");
    release();
    if (change->status == HelperContract::noSuchDevice) return Outcome::gone;
    return failed ? Outcome::failed : Outcome::changed;
  }
  return Outcome::locked;
}

std::optional<StopReason> DiskLock::changed() const {
  const QString stopped = QStringLiteral("Stopped: ") + disk_.path() +
                          QStringLiteral(" is no longer the drive that was checked");
  if (fd_ < 0)
    return StopReason{HelperContract::deviceChanged,
                      stopped + QStringLiteral(" (it is not held).")};
  struct stat held {};
  if (fstat(fd_, &held) != 0) {
    return StopReason{HelperContract::toolFailed, QStringLiteral("Failed: could not read ") +
                                                      disk_.path() + QStringLiteral(": ") +
                                                      QString::fromLocal8Bit(std::strerror(errno)) +
                                                      QLatin1Char('.')};
  }
  if (held.st_rdev != disk_.number())
    return StopReason{HelperContract::deviceChanged,
                      stopped + QStringLiteral(" (it was removed or replaced).")};
  if (const auto change = disk_.change()) return change;
  QString failure;
  const std::optional<QString> diskseq = readDiskseq(disk_.name(), &failure);
  if (!diskseq)
    return StopReason{HelperContract::toolFailed,
                      QStringLiteral("Failed: ") + failure + QLatin1Char('.')};
  if (*diskseq != diskseq_) {
    return StopReason{HelperContract::deviceChanged,
                      stopped + QStringLiteral(" (another medium now has its name).")};
  }
  if (loop_) return loop_->change(disk_);
  return std::nullopt;
}

namespace {

int openExclusively(const QString& devicePath) {
  return open(QFile::encodeName(devicePath).constData(),
              O_RDONLY | O_CLOEXEC | O_EXCL | O_NOFOLLOW);
}

std::optional<QString> whyNotOpened(const QString& devicePath) {
  if (errno == EBUSY) {
    return QStringLiteral("Refused: ") + devicePath +
           QStringLiteral(
               " is in use by another program (mounted, or held by RAID, LVM, encryption or a "
               "file system spanning several drives); nothing was written.");
  }
  return QStringLiteral("Could not open ") + devicePath + QStringLiteral(": ") +
         QString::fromLocal8Bit(std::strerror(errno)) + QStringLiteral("; nothing was written.");
}

}  // namespace

std::optional<QString> DiskLock::inUse(const QString& devicePath) {
  const int fd = openExclusively(devicePath);
  if (fd < 0) return whyNotOpened(devicePath);
  close(fd);
  return std::nullopt;
}

std::optional<QString> DiskLock::holdExclusively(const QString& devicePath) {
  const int fd = openExclusively(devicePath);
  if (fd < 0) return whyNotOpened(devicePath);
  if (exclusiveFd_ >= 0) close(exclusiveFd_);
  exclusiveFd_ = fd;
  return std::nullopt;
}

void DiskLock::release() {
  for (int* fd : {&exclusiveFd_, &fd_}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
}

}  // namespace tessaro::helper
