// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/LoopBacking.h"

#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "contract/HelperContract.h"
#include "drives/linux/DeviceNumber.h"
#include "drives/linux/KernelFile.h"
#include "exec/VisibleText.h"

namespace tessaro::helper {

namespace {

constexpr unsigned kLoopMajor = 7;

std::optional<uid_t> requestingUid;

// text for one line of the helper's output.
std::string oneLine(const std::string& text) {
  return visibleText(text, LineFeeds::escape);
}

// The loop driver reports device numbers in the kernel's own encoding.
dev_t fromKernelNumber(std::uint64_t number) {
  const unsigned majorNumber = unsigned((number & 0xfff00) >> 8);
  const unsigned minorNumber = unsigned((number & 0xff) | ((number >> 12) & 0xfff00));
  return makedev(majorNumber, minorNumber);
}

// A file of the loop device's sysfs directory (loop/backing_file,
// loop/autoclear): its text without the line feed; empty when the device
// serves nothing (the directory is there only while it does). None with
// *failure when it cannot be read.
std::optional<std::string> loopAttribute(const std::string& loopName, const char* file,
                                         std::string* failure) {
  const std::string path = "/sys/class/block/" + loopName + "/loop/" + file;
  KernelFile::Bytes text = KernelFile::read(path, 8192);
  if (text.error == ENOENT) return std::string();
  if (text.error != 0) {
    *failure = KernelFile::failure(path, text.error);
    return std::nullopt;
  }
  if (!text.bytes.empty() && text.bytes.back() == '\n') text.bytes.pop_back();
  return std::move(text.bytes);
}

// The block device a number stands for, as "/dev/NAME (MAJ:MIN)".
std::string blockDeviceText(dev_t number) {
  const KernelFile::Bytes link = KernelFile::link("/sys/dev/block/" + deviceNumberText(number));
  const std::string name = link.error == 0 ? link.bytes.substr(link.bytes.rfind('/') + 1) : "";
  return (name.empty() ? "a block device" : "/dev/" + oneLine(name)) + " (" +
         deviceNumberText(number) + ')';
}

std::string refused(const KernelDevice& disk) { return "Refused: " + disk.path(); }

StopReason failed(const std::string& failure) {
  return {HelperContract::toolFailed, "Failed: " + failure + '.'};
}

}  // namespace

std::optional<LoopBacking> LoopBacking::of(const KernelDevice& device, std::string* failure,
                                           int* error) {
  if (major(device.number()) != kLoopMajor || device.isPartition()) return std::nullopt;
  const std::string statusOf = "could not read the loop status of " + device.path() + ": ";
  const int fd = ::open(device.path().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (error) *error = errno;
    *failure = statusOf + std::strerror(errno);
    return std::nullopt;
  }
  loop_info64 info{};
  const bool told = ::ioctl(fd, LOOP_GET_STATUS64, &info) == 0;
  const int statusError = errno;
  ::close(fd);
  if (!told) {
    if (statusError == ENXIO) return std::nullopt;  // serves nothing
    if (error) *error = statusError;
    *failure = statusOf + std::strerror(statusError);
    return std::nullopt;
  }
  LoopBacking backing;
  backing.loopName_ = device.name();
  backing.backingDevice_ = fromKernelNumber(info.lo_rdevice);
  if (backing.backingDevice_ == 0) {
    backing.fileSystem_ = fromKernelNumber(info.lo_device);
    backing.inode_ = ino_t(info.lo_inode);
  }
  backing.offset_ = info.lo_offset;
  backing.sizeLimit_ = info.lo_sizelimit;
  std::optional<std::string> path = loopAttribute(device.name(), "backing_file", failure);
  if (!path) return std::nullopt;
  backing.path_ = std::move(*path);
  backing.readOnly_ = (info.lo_flags & LO_FLAGS_READ_ONLY) != 0;
  return backing;
}

std::optional<std::vector<LoopBacking>> LoopBacking::allBound(const std::string& except,
                                                              std::string* failure) {
  // loop[0-9]+
  const auto isLoopName = [](const std::string& name) {
    return name.size() > 4 && name.starts_with("loop") &&
           std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  const KernelFile::Names names = KernelFile::list("/sys/class/block");
  if (names.error != 0) {
    *failure = KernelFile::failure("/sys/class/block", names.error);
    return std::nullopt;
  }
  std::vector<LoopBacking> bound;
  for (const std::string& name : names.names) {
    if (name == except || !isLoopName(name)) continue;
    const std::optional<std::string> path = loopAttribute(name, "backing_file", failure);
    if (!path) return std::nullopt;
    if (path->empty()) continue;  // serves nothing
    // A loop device that detaches itself at its last close is not opened:
    // the helper's close must never be that last one.
    const std::optional<std::string> autoclear = loopAttribute(name, "autoclear", failure);
    if (!autoclear) return std::nullopt;
    const bool clearsItself = autoclear->starts_with('1');
    StopReason why;
    const KernelDevice loop = clearsItself ? KernelDevice() : KernelDevice::find(name, &why);
    if (!loop.isValid() && !clearsItself) {
      if (why.status == HelperContract::noSuchDevice) continue;  // detached meanwhile
      if (why.status == HelperContract::toolFailed) {
        // without "Failed: " and the full stop
        const std::string line = why.lineWithoutStop();
        *failure = line.substr(std::min<std::size_t>(8, line.size()));
        return std::nullopt;
      }
    }
    if (loop.isValid()) {
      std::string statusFailure;
      int statusError = 0;
      if (const auto backing = of(loop, &statusFailure, &statusError)) {
        bound.push_back(*backing);
        continue;
      }
      if (statusError == ENOTCONN) continue;  // its file system no longer answers
      if (!statusFailure.empty()) {
        *failure = statusFailure;
        return std::nullopt;
      }
      continue;  // detached meanwhile
    }
    // Its status is not read (no node for it here, or it clears itself):
    // what its sysfs path leads to now is the best there is.
    struct stat info {};
    if (::stat(path->c_str(), &info) != 0) {
      if (errno == ENOENT) continue;    // gone from where it was: not the file of anyone's path
      if (errno == ENOTCONN) continue;  // its file system no longer answers
      *failure = KernelFile::failure(*path, errno);
      return std::nullopt;
    }
    LoopBacking backing;
    backing.loopName_ = name;
    backing.path_ = *path;
    if (S_ISBLK(info.st_mode)) {
      backing.backingDevice_ = info.st_rdev;
    } else {
      backing.fileSystem_ = info.st_dev;
      backing.inode_ = info.st_ino;
    }
    bound.push_back(backing);
  }
  return bound;
}

std::optional<StopReason> LoopBacking::change(const KernelDevice& loop) const {
  std::string failure;
  const std::optional<LoopBacking> now = of(loop, &failure);
  if (!failure.empty()) return failed(failure);
  const std::string stopped = "Stopped: " + loop.path();
  if (!now || now->backingDevice_ != backingDevice_ || now->fileSystem_ != fileSystem_ ||
      now->inode_ != inode_) {
    return StopReason{HelperContract::deviceChanged,
                      stopped + " no longer serves " + describe() + '.'};
  }
  if (now->offset_ != offset_ || now->sizeLimit_ != sizeLimit_) {
    return StopReason{HelperContract::deviceChanged,
                      stopped + " now serves another part of " + describe() +
                          " (its offset or size limit was changed)."};
  }
  const std::optional<std::vector<LoopBacking>> others = allBound(loop.name(), &failure);
  if (!others) return failed(failure);
  for (const LoopBacking& other : *others) {
    if (sameFileAs(other)) {
      return StopReason{HelperContract::deviceChanged,
                        stopped + " serves " + describe() + ", which /dev/" + other.loopName() +
                            " now serves too: a write through one loop device corrupts what the "
                            "other shows."};
    }
  }
  return std::nullopt;
}

std::optional<uid_t> LoopBacking::fileOwner() const {
  if (backingDevice_ != 0 || path_.empty()) return std::nullopt;
  struct stat info {};
  if (::stat(path_.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_dev != fileSystem_ || info.st_ino != inode_) {
    return std::nullopt;
  }
  return info.st_uid;
}

std::string LoopBacking::describe() const {
  if (backingDevice_ != 0) return "the block device " + blockDeviceText(backingDevice_);
  return "the file " + oneLine(path_);
}

std::optional<uid_t> requestingUser() { return requestingUid; }

void rememberRequestingUser(const char* pkexecUid) {
  if (!pkexecUid) {
    requestingUid = ::getuid();
    return;
  }
  // [0-9]{1,10}, below 2^32 - 1 (which is no user).
  const std::string text(pkexecUid);
  const bool decimal =
      !text.empty() && text.size() <= 10 &&
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!decimal) return;
  const unsigned long long uid = std::stoull(text);
  if (uid < 0xFFFFFFFFull) requestingUid = uid_t(uid);
}

std::optional<StopReason> loopRefusal(const KernelDevice& disk,
                                      const std::vector<dev_t>& diskNumbers) {
  std::string failure;
  const std::optional<LoopBacking> own = LoopBacking::of(disk, &failure);
  if (!failure.empty()) return failed(failure);
  const std::optional<std::vector<LoopBacking>> others =
      LoopBacking::allBound(disk.name(), &failure);
  if (!others) return failed(failure);
  const auto refusal = [](const std::string& line) {
    return StopReason{HelperContract::refusedDevice, line};
  };
  if (own) {
    const std::string serves = refused(disk) + " is a loop device over " + own->describe();
    if (own->backingDevice() != 0) {
      return refusal(serves +
                     ": a disk is formatted, checked or tested under its own name, where its "
                     "mounts and users can be seen; nothing was written.");
    }
    const std::optional<uid_t> owner = own->fileOwner();
    if (!owner) {
      return refusal(serves +
                     ", which can no longer be found (deleted or moved); nothing was written.");
    }
    const std::optional<uid_t> user = requestingUser();
    if (!user || *owner != *user) {
      return refusal(serves + ", which belongs to user " + std::to_string(*owner) +
                     ", not to the user who asked (" +
                     (user ? "user " + std::to_string(*user) : std::string("unknown")) +
                     "); nothing was written.");
    }
    for (const LoopBacking& other : *others) {
      if (own->sameFileAs(other)) {
        return refusal(serves + ", which /dev/" + other.loopName() +
                       " serves too: a write through one loop device corrupts what the other "
                       "shows; detach /dev/" +
                       other.loopName() + " first. Nothing was written.");
      }
    }
  }
  for (const LoopBacking& other : *others) {
    if (other.backingDevice() != 0 &&
        std::find(diskNumbers.begin(), diskNumbers.end(), other.backingDevice()) !=
            diskNumbers.end()) {
      return refusal(refused(disk) + " is in use: the loop device /dev/" + other.loopName() +
                     " serves " + blockDeviceText(other.backingDevice()) +
                     "; detach it first. Nothing was written.");
    }
  }
  return std::nullopt;
}

}  // namespace tessaro::helper
