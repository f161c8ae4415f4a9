// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/probe/ProbeSignature.h"

#include <cassert>
#include <cstring>

namespace tessaro {

namespace {

constexpr char kMagic[16] = {'T', 'E', 'S', 'S', 'A', 'R', 'O', '-',
                             'P', 'R', 'O', 'B', 'E', '-', '0', '3'};
constexpr std::int64_t kOffsetAt = 16;
constexpr std::int64_t kNonceAt = 24;
constexpr std::int64_t kGenerationAt = 40;

std::uint64_t splitMix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// Words are stored little-endian, whatever the machine's order.
std::uint64_t load(const char* at) {
  std::uint64_t value = 0;
  for (int byte = 7; byte >= 0; --byte) value = value << 8 | std::uint8_t(at[byte]);
  return value;
}

void store(std::uint64_t value, char* at) {
  for (int byte = 0; byte < 8; ++byte) at[byte] = char(std::uint8_t(value >> (8 * byte)));
}

}  // namespace

ProbeSignature::ProbeSignature(const Nonce& nonce) : nonce_(nonce) {
  std::uint64_t state = nonce[0] ^ (nonce[1] << 1) ^ 0x5eed;
  for (std::uint64_t& word : pattern_) word = splitMix(state);
}

std::uint64_t ProbeSignature::keyOf(std::uint64_t offset, std::uint64_t generation) const {
  std::uint64_t state = offset ^ nonce_[1];
  std::uint64_t again = generation ^ nonce_[0];
  return splitMix(state) ^ splitMix(again);
}

void ProbeSignature::write(std::uint64_t offset, std::span<char> block,
                           std::uint64_t generation) const {
  assert(block.size() == blockBytes);
  char* data = block.data();
  std::memcpy(data, kMagic, sizeof kMagic);
  store(offset, data + kOffsetAt);
  store(nonce_[0], data + kNonceAt);
  store(nonce_[1], data + kNonceAt + 8);
  store(generation, data + kGenerationAt);
  const std::uint64_t key = keyOf(offset, generation);
  for (std::int64_t word = kBodyWord; word < kWords; ++word) {
    store(pattern_[size_t(word)] ^ key, data + word * 8);
  }
}

ProbeSignature::Reading ProbeSignature::inspect(std::uint64_t offset,
                                                std::span<const char> block) const {
  if (block.size() != blockBytes) return {};
  const char* data = block.data();
  if (std::memcmp(data, kMagic, sizeof kMagic) != 0) return {};
  if (load(data + kNonceAt) != nonce_[0] || load(data + kNonceAt + 8) != nonce_[1]) return {};
  const std::uint64_t writtenAt = load(data + kOffsetAt);
  const std::uint64_t generation = load(data + kGenerationAt);
  const std::uint64_t key = keyOf(writtenAt, generation);
  std::uint64_t differences = 0;
  for (std::int64_t word = kBodyWord; word < kWords; ++word) {
    differences |= load(data + word * 8) ^ pattern_[size_t(word)] ^ key;
  }
  if (differences != 0) return {};
  return {writtenAt == offset ? Kind::intact : Kind::aliased, writtenAt, generation};
}

}  // namespace tessaro
