// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/ExclusiveOpen.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "helper/SectorRead.h"

namespace tessaro::helper {

std::optional<std::string> ExclusiveOpen::claim(const std::string& devicePath,
                                                dev_t expectedNumber, bool writable) {
  release();
  const int fd =
      open(devicePath.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_EXCL | O_NOFOLLOW);
  if (fd < 0) {
    if (errno == EBUSY) {
      return devicePath +
             " is in use by another program (mounted, or held by RAID, LVM, encryption or a "
             "file system spanning several drives)";
    }
    return devicePath + " could not be opened (" + std::strerror(errno) + ')';
  }
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    const int error = errno;
    close(fd);
    return devicePath + " could not be read (" + std::strerror(error) + ')';
  }
  if (!S_ISBLK(info.st_mode) || info.st_rdev != expectedNumber) {
    close(fd);
    return devicePath + " is no longer the device that was checked";
  }
  fd_ = fd;
  exclusive_ = true;
  return std::nullopt;
}

std::optional<std::string> ExclusiveOpen::read(std::int64_t offset, int bytes,
                                               std::string* failure) const {
  if (fd_ < 0) {
    *failure = "it is not held";
    return std::nullopt;
  }
  return SectorRead::at(fd_, std::uint64_t(offset), std::size_t(bytes), failure);
}

std::optional<std::string> ExclusiveOpen::zero(std::int64_t offset, std::int64_t bytes,
                                               bool waitForDrive) const {
  if (fd_ < 0) return "it is not held";
  const std::string zeros(64 * 1024, '\0');
  std::int64_t done = 0;
  while (done < bytes) {
    const size_t chunk = size_t(std::min<std::int64_t>(std::int64_t(zeros.size()), bytes - done));
    const ssize_t wrote = ::pwrite(fd_, zeros.data(), chunk, off_t(offset + done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      return wrote < 0 ? std::string(std::strerror(errno))
                       : "nothing was written at byte " + std::to_string(offset + done);
    }
    done += wrote;
  }
  while (waitForDrive && ::fdatasync(fd_) != 0) {
    if (errno != EINTR) return std::string(std::strerror(errno));
  }
  return std::nullopt;
}

std::optional<std::string> ExclusiveOpen::keepOpenUnclaimed() {
  if (!isHeld()) return "it is not held";
  // Opened again through the open file itself, never by its name: the same
  // device, whatever the name stands for now.
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  const int shared = open(self.c_str(), O_RDWR | O_CLOEXEC);
  const int error = errno;
  struct stat held {}, opened {};
  const bool same = shared >= 0 && fstat(fd_, &held) == 0 && fstat(shared, &opened) == 0 &&
                    S_ISBLK(opened.st_mode) && opened.st_rdev == held.st_rdev;
  release();
  if (!same) {
    if (shared >= 0) close(shared);
    return shared < 0 ? "it could not be opened again (" + std::string(std::strerror(error)) + ')'
                      : "it is no longer the device that was checked";
  }
  fd_ = shared;
  return std::nullopt;
}

void ExclusiveOpen::release() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  exclusive_ = false;
}

}  // namespace tessaro::helper
