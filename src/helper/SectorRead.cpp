// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/SectorRead.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tessaro::helper {

std::optional<std::string> SectorRead::at(int fd, std::uint64_t offset, std::size_t bytes,
                                          std::string* failure) {
  std::string data(bytes, '\0');
  for (;;) {
    const ssize_t got = ::pread(fd, data.data(), bytes, off_t(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *failure = std::strerror(errno);
      return std::nullopt;
    }
    if (std::size_t(got) != bytes) {
      *failure = std::to_string(got) + " of " + std::to_string(bytes) + " bytes";
      return std::nullopt;
    }
    return data;
  }
}

std::optional<std::string> SectorRead::of(const std::string& path, std::uint64_t offset,
                                          std::size_t bytes, std::string* failure) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    *failure = std::strerror(errno);
    return std::nullopt;
  }
  std::optional<std::string> data = at(fd, offset, bytes, failure);
  ::close(fd);
  return data;
}

}  // namespace tessaro::helper
