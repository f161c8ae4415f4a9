// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QtGlobal>
#include <array>
#include <span>

namespace tessaro {

// The 4 KiB block a capacity probe writes at each sampled offset. It names the
// offset it was written to and the run that wrote it, and carries a checksum,
// so that reading it back tells whether the drive kept it where it was put.
//
//   bytes 0-15      magic "TESSARO-PROBE-01"
//   bytes 16-23     the offset, little-endian
//   bytes 24-39     the run's nonce
//   bytes 40-4087   filler derived from offset and nonce (not compressible)
//   bytes 4088-4095 checksum over bytes 0-4087
class ProbeSignature {
 public:
  static constexpr qsizetype blockBytes = 4096;
  using Nonce = std::array<quint64, 2>;

  enum class Kind {
    intact,   // the block written at this offset, unchanged
    aliased,  // a block this run wrote at another offset
    lost,     // anything else: zeros, old data, another run's block, damage
  };
  struct Reading {
    Kind kind = Kind::lost;
    quint64 writtenAt = 0;  // aliased: the offset the block was written to
  };

  // Fills block (blockBytes long) with the signature of offset.
  static void write(quint64 offset, const Nonce& nonce, std::span<char> block);
  // What block, read back from offset, holds.
  static Reading inspect(quint64 offset, const Nonce& nonce, std::span<const char> block);
};

}  // namespace tessaro
