// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tessaro::helper {

// Reads of a drive's sectors, whole or not at all: a read that a signal
// interrupted is made again, and one that gives fewer bytes than asked is
// no read (a block device gives fewer only past its end). Plain C++ and POSIX.
class SectorRead {
 public:
  // bytes bytes from offset through fd; none with why in *failure
  // ("Input/output error", "100 of 512 bytes").
  static std::optional<std::string> at(int fd, std::uint64_t offset, std::size_t bytes,
                                       std::string* failure);
  // The same through a read-only descriptor of its own on path.
  static std::optional<std::string> of(const std::string& path, std::uint64_t offset,
                                       std::size_t bytes, std::string* failure);
};

}  // namespace tessaro::helper
