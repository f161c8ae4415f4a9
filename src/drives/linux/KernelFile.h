// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tessaro {

// The guard's reads of the kernel's tables (sysfs, /proc, udev's records):
// all or nothing. A file is read to its end (a read that a signal
// interrupted is made again), a directory listed whole, and what does not
// exist (ENOENT) is told apart from what could not be read, which a guard
// never takes for an empty answer. Plain C++ and POSIX.
class KernelFile {
 public:
  // error is 0 when the read succeeded, ENOENT when there is nothing at the
  // path, else why it could not be read.
  struct Bytes {
    std::string bytes;
    int error = 0;
  };
  struct Names {
    std::vector<std::string> names;  // sorted, without . and ..
    int error = 0;
  };

  // The whole file; more than maxBytes is an error (EFBIG).
  static Bytes read(const std::string& path, std::size_t maxBytes = 65536);
  // The entries of a directory.
  static Names list(const std::string& path);
  // The path with every link followed (realpath).
  static Bytes resolve(const std::string& path);
  // Where a link leads (readlink); EINVAL when path is no link.
  static Bytes link(const std::string& path);
  // 0 when something is at path (stat, links followed), else the error.
  static int find(const std::string& path);

  // "could not read PATH: Input/output error".
  static std::string failure(const std::string& path, int error);
};

}  // namespace tessaro
