// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <cstdint>
#include <cstring>
#include <type_traits>

// Reads a fuzzer's bytes as a sequence of values, front to back. Past the
// end every value reads as zero and every text as empty, so any input is a
// valid sequence.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size)
      : bytes_(QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                       static_cast<qsizetype>(size))) {}

  template <typename T>
  T take() {
    static_assert(std::is_integral_v<T>);
    T value{};
    const qsizetype n = std::min<qsizetype>(sizeof(T), bytes_.size() - at_);
    if (n > 0) std::memcpy(&value, bytes_.constData() + at_, static_cast<size_t>(n));
    at_ += std::max<qsizetype>(n, 0);
    return value;
  }

  QByteArray takeBytes(qsizetype count) {
    const QByteArray piece = bytes_.mid(at_, count);
    at_ += piece.size();
    return QByteArray(piece.constData(), piece.size());  // a deep copy
  }

  QByteArray rest() { return takeBytes(bytes_.size() - at_); }

  // The rest cut at every separator, at most `count` pieces (the last one
  // keeps further separators).
  QByteArrayList parts(const QByteArray& separator, int count) {
    const QByteArray text = rest();
    QByteArrayList pieces;
    qsizetype from = 0;
    while (pieces.size() < count - 1) {
      const qsizetype at = text.indexOf(separator, from);
      if (at < 0) break;
      pieces << text.mid(from, at - from);
      from = at + separator.size();
    }
    pieces << text.mid(from);
    while (pieces.size() < count) pieces << QByteArray();
    return pieces;
  }

  // The rest as a stream delivered in pieces: each piece is one length byte
  // followed by that many bytes (fewer at the end).
  QByteArrayList lengthPrefixedPieces() {
    QByteArrayList pieces;
    while (at_ < bytes_.size()) {
      const auto length = take<uint8_t>();
      pieces << takeBytes(length);
    }
    return pieces;
  }

 private:
  QByteArray bytes_;
  qsizetype at_ = 0;
};
