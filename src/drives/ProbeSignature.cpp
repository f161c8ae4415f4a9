// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeSignature.h"

#include <cstring>

namespace tessaro {

namespace {

constexpr char kMagic[16] = {'T', 'E', 'S', 'S', 'A', 'R', 'O', '-',
                             'P', 'R', 'O', 'B', 'E', '-', '0', '1'};
constexpr qsizetype kOffsetAt = 16;
constexpr qsizetype kNonceAt = 24;
constexpr qsizetype kFillerAt = 40;
constexpr qsizetype kChecksumAt = ProbeSignature::blockBytes - 8;

quint64 splitMix(quint64& state) {
  quint64 z = (state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

void putLittleEndian(quint64 value, char* at) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

quint64 getLittleEndian(const char* at) {
  quint64 value = 0;
  for (int i = 0; i < 8; ++i) value |= quint64(static_cast<unsigned char>(at[i])) << (8 * i);
  return value;
}

// FNV-1a, 64 bits: enough to tell a damaged block from a whole one.
quint64 checksum(const char* data, qsizetype size) {
  quint64 hash = 0xcbf29ce484222325ULL;
  for (qsizetype i = 0; i < size; ++i) {
    hash ^= static_cast<unsigned char>(data[i]);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

}  // namespace

void ProbeSignature::write(quint64 offset, const Nonce& nonce, std::span<char> block) {
  Q_ASSERT(block.size() == blockBytes);
  char* data = block.data();
  std::memcpy(data, kMagic, sizeof kMagic);
  putLittleEndian(offset, data + kOffsetAt);
  putLittleEndian(nonce[0], data + kNonceAt);
  putLittleEndian(nonce[1], data + kNonceAt + 8);
  quint64 state = offset ^ nonce[0] ^ (nonce[1] << 1);
  for (qsizetype at = kFillerAt; at < kChecksumAt; at += 8)
    putLittleEndian(splitMix(state), data + at);
  putLittleEndian(checksum(data, kChecksumAt), data + kChecksumAt);
}

ProbeSignature::Reading ProbeSignature::inspect(quint64 offset, const Nonce& nonce,
                                                std::span<const char> block) {
  if (block.size() != blockBytes) return {};
  const char* data = block.data();
  if (std::memcmp(data, kMagic, sizeof kMagic) != 0) return {};
  if (getLittleEndian(data + kNonceAt) != nonce[0] ||
      getLittleEndian(data + kNonceAt + 8) != nonce[1]) {
    return {};
  }
  if (getLittleEndian(data + kChecksumAt) != checksum(data, kChecksumAt)) return {};
  const quint64 writtenAt = getLittleEndian(data + kOffsetAt);
  return {writtenAt == offset ? Kind::intact : Kind::aliased, writtenAt};
}

}  // namespace tessaro
