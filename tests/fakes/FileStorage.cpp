// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "FileStorage.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tessaro::fake {

int FileStorage::read(uint64_t at, char* data, uint64_t bytes) {
  uint64_t got = 0;
  while (got < bytes) {
    const ssize_t n = ::pread(fd_, data + got, bytes - got, off_t(at + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -errno;
    if (n == 0) {  // past the end of the file: nothing written there yet
      std::memset(data + got, 0, bytes - got);
      break;
    }
    got += uint64_t(n);
  }
  return 0;
}

int FileStorage::write(uint64_t at, const char* data, uint64_t bytes) {
  uint64_t put = 0;
  while (put < bytes) {
    const ssize_t n = ::pwrite(fd_, data + put, bytes - put, off_t(at + put));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? -errno : -EIO;
    put += uint64_t(n);
  }
  return 0;
}

int FileStorage::sync() { return ::fdatasync(fd_) == 0 ? 0 : -errno; }

}  // namespace tessaro::fake
