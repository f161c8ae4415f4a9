// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <span>

namespace tessaro {

// The drive a capacity probe writes to and reads from, in whole 4 KiB blocks
// at block-aligned offsets. Buffers handed in are aligned to 4096 bytes.
class ProbeTarget {
 public:
  enum class Outcome {
    done,
    mediaError,  // the drive refused this range (I/O error); the probe counts it lost
    readOnly,    // the drive refused a write as read-only from now on
  };

  virtual ~ProbeTarget() = default;
  // The size the drive claims, in bytes.
  virtual std::uint64_t sizeBytes() const = 0;
  // Failures other than a media error (the drive gone, a bad descriptor)
  // throw a ProbeError.
  virtual Outcome write(std::uint64_t offset, std::span<const char> data) = 0;
  virtual Outcome read(std::uint64_t offset, std::span<char> data) = 0;
  // Makes everything written so far reach the drive's storage.
  virtual void flush() = 0;
};

}  // namespace tessaro
