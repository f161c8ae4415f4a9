// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/DiskLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "contract/HelperContract.h"
#include "drives/linux/KernelFile.h"
#include "drives/linux/LinuxDiskRules.h"

namespace tessaro::helper {

std::optional<std::string> readDiskseq(const std::string& diskName, std::string* failure,
                                       const std::string& sysRoot) {
  const std::string path = sysRoot + "/class/block/" + diskName + "/diskseq";
  const KernelFile::Bytes text = KernelFile::read(path, 64);
  if (text.error == ENOENT) return std::string();  // a kernel without sequence numbers
  if (text.error != 0) {
    *failure = KernelFile::failure(path, text.error);
    return std::nullopt;
  }
  return trimmed(text.bytes);
}

DiskLock::Outcome DiskLock::lock(const KernelDevice& disk, std::string* why) {
  release();
  const int fd = open(disk.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) {
    *why = "Could not open " + disk.path() + ": " + std::strerror(errno) +
           "; nothing was written.";
    return Outcome::failed;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    *why = "Failed: could not read " + disk.path() + ": " + std::strerror(errno) +
           "; nothing was written.";
    close(fd);
    return Outcome::failed;
  }
  if (!S_ISBLK(info.st_mode) || info.st_rdev != disk.number()) {
    close(fd);
    *why = "Stopped: " + disk.path() + " changed while it was being opened; nothing was written.";
    return Outcome::changed;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    if (error == EWOULDBLOCK) {
      *why = "Refused: " + disk.path() +
             " is in use by another program (it holds the drive's lock); nothing was written.";
      return Outcome::busy;
    }
    *why = "Could not lock " + disk.path() + ": " + std::strerror(error) +
           "; nothing was written.";
    return Outcome::failed;
  }
  fd_ = fd;
  disk_ = disk;
  // Read after the lock, so that a disk swapped in between is not taken for
  // the one that was checked.
  std::string failure;
  const std::optional<std::string> diskseq = readDiskseq(disk.name(), &failure);
  std::optional<LoopBacking> loop;
  if (diskseq) loop = LoopBacking::of(disk, &failure);
  if (!failure.empty()) {
    *why = "Failed: " + failure + "; nothing was written.";
    release();
    return Outcome::failed;
  }
  diskseq_ = *diskseq;
  loop_ = loop;
  if (const auto change = changed()) {
    const bool failed = change->status == HelperContract::toolFailed;
    *why = failed ? change->lineWithoutStop() + "; nothing was written."
                  : change->line + " Nothing was written.";
    release();
    if (change->status == HelperContract::noSuchDevice) return Outcome::gone;
    return failed ? Outcome::failed : Outcome::changed;
  }
  return Outcome::locked;
}

std::optional<StopReason> DiskLock::changed() const {
  const std::string stopped = "Stopped: " + disk_.path() + " is no longer the drive that was checked";
  if (fd_ < 0) return StopReason{HelperContract::deviceChanged, stopped + " (it is not held)."};
  struct stat held {};
  if (fstat(fd_, &held) != 0) {
    return StopReason{HelperContract::toolFailed, "Failed: could not read " + disk_.path() + ": " +
                                                      std::strerror(errno) + '.'};
  }
  if (held.st_rdev != disk_.number())
    return StopReason{HelperContract::deviceChanged, stopped + " (it was removed or replaced)."};
  if (const auto change = disk_.change()) return change;
  std::string failure;
  const std::optional<std::string> diskseq = readDiskseq(disk_.name(), &failure);
  if (!diskseq) return StopReason{HelperContract::toolFailed, "Failed: " + failure + '.'};
  if (*diskseq != diskseq_) {
    return StopReason{HelperContract::deviceChanged,
                      stopped + " (another medium now has its name)."};
  }
  if (loop_) return loop_->change(disk_);
  return std::nullopt;
}

namespace {

int openExclusively(const std::string& devicePath) {
  return open(devicePath.c_str(), O_RDONLY | O_CLOEXEC | O_EXCL | O_NOFOLLOW);
}

std::string whyNotOpened(const std::string& devicePath) {
  if (errno == EBUSY) {
    return "Refused: " + devicePath +
           " is in use by another program (mounted, or held by RAID, LVM, encryption or a "
           "file system spanning several drives); nothing was written.";
  }
  return "Could not open " + devicePath + ": " + std::strerror(errno) + "; nothing was written.";
}

}  // namespace

std::optional<std::string> DiskLock::inUse(const std::string& devicePath) {
  const int fd = openExclusively(devicePath);
  if (fd < 0) return whyNotOpened(devicePath);
  close(fd);
  return std::nullopt;
}

std::optional<std::string> DiskLock::holdExclusively(const std::string& devicePath) {
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
