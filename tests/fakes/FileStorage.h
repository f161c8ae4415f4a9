// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>

namespace tessaro::fake {

// Where a fake drive keeps bytes: a file the caller opened for reading and
// writing, sparse and reading as zeros wherever nothing was written. Every
// call returns 0 or -errno.
class FileStorage {
 public:
  explicit FileStorage(int fd) : fd_(fd) {}
  int read(uint64_t at, char* data, uint64_t bytes);
  int write(uint64_t at, const char* data, uint64_t bytes);
  int sync();

 private:
  int fd_;
};

}  // namespace tessaro::fake
