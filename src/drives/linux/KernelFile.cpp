// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/KernelFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace tessaro {

KernelFile::Bytes KernelFile::read(const std::string& path, std::size_t maxBytes) {
  Bytes file;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    file.error = errno;
    return file;
  }
  std::array<char, 4096> buffer{};
  for (;;) {
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      file.error = errno;
      break;
    }
    if (got == 0) break;
    if (file.bytes.size() + std::size_t(got) > maxBytes) {
      file.error = EFBIG;
      break;
    }
    file.bytes.append(buffer.data(), std::size_t(got));
  }
  ::close(fd);
  if (file.error != 0) file.bytes.clear();
  return file;
}

KernelFile::Names KernelFile::list(const std::string& path) {
  Names listing;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
  if (!dir) {
    listing.error = errno;
    return listing;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (!entry) {
      // The end of the directory leaves errno as it was; a failure sets it.
      listing.error = errno;
      break;
    }
    const std::string name = entry->d_name;
    if (name != "." && name != "..") listing.names.push_back(name);
  }
  if (listing.error != 0) listing.names.clear();
  std::sort(listing.names.begin(), listing.names.end());
  return listing;
}

KernelFile::Bytes KernelFile::resolve(const std::string& path) {
  Bytes resolved;
  const std::unique_ptr<char, void (*)(void*)> real(::realpath(path.c_str(), nullptr), std::free);
  if (!real) {
    resolved.error = errno;
    return resolved;
  }
  resolved.bytes = real.get();
  return resolved;
}

KernelFile::Bytes KernelFile::link(const std::string& path) {
  Bytes target;
  std::array<char, PATH_MAX> buffer{};
  const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
  if (length < 0) {
    target.error = errno;
    return target;
  }
  if (std::size_t(length) >= buffer.size()) {
    target.error = ENAMETOOLONG;
    return target;
  }
  target.bytes.assign(buffer.data(), std::size_t(length));
  return target;
}

int KernelFile::find(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? 0 : errno;
}

std::string KernelFile::failure(const std::string& path, int error) {
  return "could not read " + path + ": " + std::strerror(error);
}

}  // namespace tessaro
