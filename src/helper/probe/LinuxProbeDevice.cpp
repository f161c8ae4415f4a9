// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/probe/LinuxProbeDevice.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "exec/Error.h"

namespace tessaro {

namespace {

// Errors that mean the drive could not store or return this range; the probe
// counts the range lost and goes on. Anything else (the drive gone, a bad
// descriptor) ends the probe.
bool isMediaError(int error) {
  switch (error) {
    case EIO:
    case ENOSPC:
    case EILSEQ:
    case ENODATA:
    case EREMOTEIO:
    case EBADMSG:
      return true;
    default:
      return false;
  }
}

}  // namespace

LinuxProbeDevice::LinuxProbeDevice(int fd, QString devicePath)
    : fd_(fd), devicePath_(std::move(devicePath)) {
  struct stat status {};
  if (::fstat(fd_, &status) != 0 || !S_ISBLK(status.st_mode)) {
    throw Error(ErrorDomain::capacityProbe, EINVAL,
                devicePath_ + QStringLiteral(" is not a block device."));
  }
  quint64 size = 0;
  if (::ioctl(fd_, BLKGETSIZE64, &size) != 0) {
    fail(QStringLiteral("read the size of"), 0, errno);
  }
  sizeBytes_ = size;
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0) fail(QStringLiteral("use"), 0, errno);
  if (!(flags & O_DIRECT) && ::fcntl(fd_, F_SETFL, flags | O_DIRECT) != 0) {
    fail(QStringLiteral("bypass the page cache of"), 0, errno);
  }
}

ProbeTarget::Outcome LinuxProbeDevice::write(quint64 offset, std::span<const char> data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t written =
        ::pwrite(fd_, data.data() + done, data.size() - done, off_t(offset + done));
    if (written < 0 && errno == EINTR) continue;
    // The kernel turns a disk read-only when the drive says it is write-protected.
    if (written < 0 && (errno == EROFS || errno == EPERM)) return Outcome::readOnly;
    if (written < 0 && !isMediaError(errno)) fail(QStringLiteral("write to"), offset + done, errno);
    if (written <= 0) return Outcome::mediaError;
    done += size_t(written);
  }
  return Outcome::done;
}

ProbeTarget::Outcome LinuxProbeDevice::read(quint64 offset, std::span<char> data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t got = ::pread(fd_, data.data() + done, data.size() - done, off_t(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && !isMediaError(errno)) fail(QStringLiteral("read from"), offset + done, errno);
    if (got <= 0) return Outcome::mediaError;
    done += size_t(got);
  }
  return Outcome::done;
}

void LinuxProbeDevice::flush() {
  // fdatasync makes the kernel send the drive a cache flush. An I/O error here
  // belongs to some earlier write, which reading back will show; only a
  // failure of another kind ends the probe.
  if (::fdatasync(fd_) != 0 && errno != EIO && errno != EINTR) {
    fail(QStringLiteral("flush"), 0, errno);
  }
  // Drops the kernel's cached pages of the device, so that nothing read later
  // through the page cache (blkid, a format) sees data from before the probe.
  ::ioctl(fd_, BLKFLSBUF, 0);
}

void LinuxProbeDevice::fail(const QString& what, quint64 offset, int error) const {
  QString description = QStringLiteral("Could not %1 %2").arg(what, devicePath_);
  if (offset != 0) description += QStringLiteral(" at byte %1").arg(offset);
  throw Error(ErrorDomain::capacityProbe, error,
              description + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)) +
                  QLatin1Char('.'));
}

}  // namespace tessaro
