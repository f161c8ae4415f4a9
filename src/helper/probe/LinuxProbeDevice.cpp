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

#include "helper/probe/ProbeError.h"

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

LinuxProbeDevice::LinuxProbeDevice(int fd, std::string devicePath)
    : fd_(fd), devicePath_(std::move(devicePath)) {
  struct stat status {};
  if (::fstat(fd_, &status) != 0 || !S_ISBLK(status.st_mode)) {
    throw ProbeError(EINVAL, devicePath_ + " is not a block device.");
  }
  std::uint64_t size = 0;
  if (::ioctl(fd_, BLKGETSIZE64, &size) != 0) {
    fail("read the size of", 0, errno);
  }
  sizeBytes_ = size;
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0) fail("use", 0, errno);
  if (!(flags & O_DIRECT) && ::fcntl(fd_, F_SETFL, flags | O_DIRECT) != 0) {
    fail("bypass the page cache of", 0, errno);
  }
}

ProbeTarget::Outcome LinuxProbeDevice::write(std::uint64_t offset, std::span<const char> data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t written =
        ::pwrite(fd_, data.data() + done, data.size() - done, off_t(offset + done));
    if (written < 0 && errno == EINTR) continue;
    // The kernel turns a disk read-only when the drive says it is write-protected.
    if (written < 0 && (errno == EROFS || errno == EPERM)) return Outcome::readOnly;
    if (written < 0 && !isMediaError(errno)) fail("write to", offset + done, errno);
    if (written <= 0) return Outcome::mediaError;
    done += size_t(written);
  }
  return Outcome::done;
}

ProbeTarget::Outcome LinuxProbeDevice::read(std::uint64_t offset, std::span<char> data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t got = ::pread(fd_, data.data() + done, data.size() - done, off_t(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && !isMediaError(errno)) fail("read from", offset + done, errno);
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
    fail("flush", 0, errno);
  }
  // Drops the kernel's cached pages of the device, so that nothing read later
  // through the page cache (blkid, a format) sees data from before the probe.
  ::ioctl(fd_, BLKFLSBUF, 0);
}

void LinuxProbeDevice::fail(const std::string& what, std::uint64_t offset, int error) const {
  std::string description = "Could not " + what + " " + devicePath_;
  if (offset != 0) description += " at byte " + std::to_string(offset);
  throw ProbeError(error, description + ": " + std::strerror(error) + ".");
}

}  // namespace tessaro
