// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "drives/ProbePlan.h"

namespace tessaro {

// The 4 KiB blocks one capacity probe writes. Each names the offset it was
// written to and the run that wrote it, and the rest of it is derived from
// both, so that reading it back tells whether the drive kept it where it was
// put, and damage anywhere in it shows.
//
//   bytes 0-15      magic "TESSARO-PROBE-03"
//   bytes 16-23     the offset, little-endian
//   bytes 24-39     the run's nonce
//   bytes 40-47     the generation: which of the run's writes of the offset
//   bytes 48-4095   the run's pattern (random, from the nonce), each 64-bit
//                   word XORed with a key derived from offset, generation
//                   and nonce
//
// A drive that drops a write of an offset written before keeps the earlier
// block; its generation tells it from the later one.
//
// Filling and checking go a 64-bit word at a time against the pattern made
// once per run: no checksum to compute, nothing the compiler cannot vectorize.
class ProbeSignature {
 public:
  static constexpr std::int64_t blockBytes = ProbePlan::blockBytes;
  using Nonce = std::array<std::uint64_t, 2>;

  enum class Kind {
    intact,   // the block written at this offset, unchanged
    aliased,  // a block this run wrote at another offset
    lost,     // anything else: zeros, old data, another run's block, damage
  };
  struct Reading {
    Kind kind = Kind::lost;
    std::uint64_t writtenAt = 0;   // aliased: the offset the block was written to
    std::uint64_t generation = 0;  // intact or aliased: the generation it was written in
  };

  explicit ProbeSignature(const Nonce& nonce);

  // Fills block (blockBytes long) with the signature of offset.
  void write(std::uint64_t offset, std::span<char> block, std::uint64_t generation = 0) const;
  // What block, read back from offset, holds.
  Reading inspect(std::uint64_t offset, std::span<const char> block) const;

 private:
  static constexpr std::int64_t kWords = blockBytes / 8;
  static constexpr std::int64_t kBodyWord = 6;  // bytes 48 on

  std::uint64_t keyOf(std::uint64_t offset, std::uint64_t generation) const;

  Nonce nonce_;
  std::array<std::uint64_t, kWords> pattern_{};
};

}  // namespace tessaro
