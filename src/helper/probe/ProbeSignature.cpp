// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/probe/ProbeSignature.h"

#include <QtEndian>
#include <cstring>

namespace tessaro {

namespace {

constexpr char kMagic[16] = {'T', 'E', 'S', 'S', 'A', 'R', 'O', '-',
                             'P', 'R', 'O', 'B', 'E', '-', '0', '3'};
constexpr qsizetype kOffsetAt = 16;
constexpr qsizetype kNonceAt = 24;
constexpr qsizetype kGenerationAt = 40;

quint64 splitMix(quint64& state) {
  quint64 z = (state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

quint64 load(const char* at) { return qFromLittleEndian<quint64>(at); }

void store(quint64 value, char* at) { qToLittleEndian(value, at); }

}  // namespace

ProbeSignature::ProbeSignature(const Nonce& nonce) : nonce_(nonce) {
  quint64 state = nonce[0] ^ (nonce[1] << 1) ^ 0x5eed;
  for (quint64& word : pattern_) word = splitMix(state);
}

quint64 ProbeSignature::keyOf(quint64 offset, quint64 generation) const {
  quint64 state = offset ^ nonce_[1];
  quint64 again = generation ^ nonce_[0];
  return splitMix(state) ^ splitMix(again);
}

void ProbeSignature::write(quint64 offset, std::span<char> block, quint64 generation) const {
  Q_ASSERT(block.size() == blockBytes);
  char* data = block.data();
  std::memcpy(data, kMagic, sizeof kMagic);
  store(offset, data + kOffsetAt);
  store(nonce_[0], data + kNonceAt);
  store(nonce_[1], data + kNonceAt + 8);
  store(generation, data + kGenerationAt);
  const quint64 key = keyOf(offset, generation);
  for (qsizetype word = kBodyWord; word < kWords; ++word) {
    store(pattern_[size_t(word)] ^ key, data + word * 8);
  }
}

ProbeSignature::Reading ProbeSignature::inspect(quint64 offset, std::span<const char> block) const {
  if (block.size() != blockBytes) return {};
  const char* data = block.data();
  if (std::memcmp(data, kMagic, sizeof kMagic) != 0) return {};
  if (load(data + kNonceAt) != nonce_[0] || load(data + kNonceAt + 8) != nonce_[1]) return {};
  const quint64 writtenAt = load(data + kOffsetAt);
  const quint64 generation = load(data + kGenerationAt);
  const quint64 key = keyOf(writtenAt, generation);
  quint64 differences = 0;
  for (qsizetype word = kBodyWord; word < kWords; ++word) {
    differences |= load(data + word * 8) ^ pattern_[size_t(word)] ^ key;
  }
  if (differences != 0) return {};
  return {writtenAt == offset ? Kind::intact : Kind::aliased, writtenAt, generation};
}

}  // namespace tessaro
