// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "helper/KernelDevice.h"
#include "helper/StopReason.h"

namespace tessaro::helper {

// What a loop device serves, as the loop driver reports it
// (LOOP_GET_STATUS64): a block device, or a regular file known by its file
// system's device number and inode, whatever its path has become since.
//
// The helper's guard looks at the loop device it was named, and a loop device
// passes on every write to what backs it; so what backs it must pass too:
// - a loop over a block device is refused outright: the disk is to be named
//   itself, where the guard sees its mounts, holders and partitions;
// - a loop over a file serves only when no other loop device serves the same
//   file (each has its own cache: a write through one corrupts what the other
//   shows, a file system mounted from it included), and when the file belongs
//   to the user who asked, so that pkexec's consent to format a drive is never
//   a way to overwrite someone else's file;
// - a read-only loop is refused by every verb that writes (BLKROGET).
// And the other way round: a disk or partition that a loop device serves is
// in use by it, and is refused. What a loop device serves can change while it
// is held (its owner may move the offset, or attach another loop device over
// its file): it is read again before each step that writes (change()).
class LoopBacking {
 public:
  // The loop device's backing; none when device is no loop device or serves
  // nothing. *failure says why ("could not read ...") when it is one and its
  // status or backing file cannot be read (*error, when given, the errno).
  static std::optional<LoopBacking> of(const KernelDevice& device, std::string* failure,
                                       int* error = nullptr);
  // Every bound loop device on the system but the one named except (a kernel
  // name, may be empty), as far as its status can be read (one whose node is
  // not here, or that detaches itself at its last close, by the path of what
  // it serves); none with *failure when the kernel's tables cannot be read.
  // One whose file lies on a file system that no longer answers (ENOTCONN,
  // as a FUSE file system whose server is gone) is left out: such a file
  // system answers for none of its files, and the file asked about answered.
  static std::optional<std::vector<LoopBacking>> allBound(const std::string& except,
                                                          std::string* failure);

  const std::string& loopName() const { return loopName_; }
  // The device number of the block device it serves; 0 for a file.
  dev_t backingDevice() const { return backingDevice_; }
  // The file it serves: its file system's device number, its inode, and its
  // path as sysfs shows it (for people; it may have moved since).
  dev_t fileSystem() const { return fileSystem_; }
  ino_t inode() const { return inode_; }
  const std::string& path() const { return path_; }
  bool readOnly() const { return readOnly_; }
  bool sameFileAs(const LoopBacking& other) const {
    return backingDevice_ == 0 && other.backingDevice_ == 0 && fileSystem_ == other.fileSystem_ &&
           inode_ == other.inode_;
  }

  // None while the loop device still serves what this says, from the same
  // offset and as far, and no other loop device serves the same file; else
  // what changed (deviceChanged) or what could not be read (toolFailed).
  std::optional<StopReason> change(const KernelDevice& loop) const;

  // The owner of the file, by a stat of its sysfs path that finds this very
  // file (same device and inode); none when it cannot be found so.
  std::optional<uid_t> fileOwner() const;
  // "the file /tmp/disk.img" or "the block device /dev/sdb (8:16)", escaped
  // for one line.
  std::string describe() const;

 private:
  std::string loopName_;
  dev_t backingDevice_ = 0;
  dev_t fileSystem_ = 0;
  ino_t inode_ = 0;
  std::uint64_t offset_ = 0;
  std::uint64_t sizeLimit_ = 0;
  std::string path_;
  bool readOnly_ = false;
};

// The user who asked for the run: pkexec's PKEXEC_UID, the real user when
// the helper was started without pkexec; none when PKEXEC_UID is not a number.
// Read once from the environment the helper was started with.
std::optional<uid_t> requestingUser();
void rememberRequestingUser(const char* pkexecUid);

// Why the whole disk disk may not be used because of loop devices (see
// LoopBacking): a refusal (refusedDevice), or the kernel's tables that could
// not be read (toolFailed); none when nothing stands against it.
// diskNumbers: the device numbers of disk and its partitions.
std::optional<StopReason> loopRefusal(const KernelDevice& disk,
                                      const std::vector<dev_t>& diskNumbers);

}  // namespace tessaro::helper
