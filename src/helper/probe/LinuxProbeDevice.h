// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <string>

#include "helper/probe/ProbeTarget.h"

namespace tessaro {

// A block device as a capacity probe's target, through a descriptor the caller
// opened for reading and writing and keeps open (and holds) for the whole
// probe. Every transfer bypasses the kernel's page cache (O_DIRECT, switched
// on here when the descriptor lacks it), and flush() waits until the drive
// reports the data stored.
class LinuxProbeDevice : public ProbeTarget {
 public:
  // Throws a ProbeError when fd is not a block device or its size cannot be read.
  LinuxProbeDevice(int fd, std::string devicePath);

  std::uint64_t sizeBytes() const override { return sizeBytes_; }
  Outcome write(std::uint64_t offset, std::span<const char> data) override;
  Outcome read(std::uint64_t offset, std::span<char> data) override;
  void flush() override;

 private:
  [[noreturn]] void fail(const std::string& what, std::uint64_t offset, int error) const;

  int fd_;
  std::string devicePath_;
  std::uint64_t sizeBytes_ = 0;
};

}  // namespace tessaro
