// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/probe/ProbeIo.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "drives/FixedDecimal.h"
#include "helper/probe/ProbeError.h"

namespace tessaro {

namespace {

constexpr uint64_t kBlock = ProbeSignature::blockBytes;

void addTrouble(ProbeResult::Trouble& trouble, uint64_t offset, uint64_t bytes) {
  ++trouble.requests;
  trouble.bytes += bytes;
  trouble.firstOffset = std::min(trouble.firstOffset.value_or(offset), offset);
}

}  // namespace

ProbeIo::ProbeIo(ProbeTarget& target, uint64_t bufferBytes, const ProbeSignature& signature,
                 std::function<void()> checkCancel)
    : target_(target),
      signature_(signature),
      checkCancel_(std::move(checkCancel)),
      buffer_(static_cast<char*>(std::aligned_alloc(kBlock, bufferBytes)), std::free),
      anchor_(static_cast<char*>(std::aligned_alloc(kBlock, kBlock)), std::free),
      startedAt_(Clock::now()) {
  if (!buffer_ || !anchor_) throw std::bad_alloc();
}

std::int64_t ProbeIo::nanosecondsSinceStart() const {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - startedAt_).count();
}

void ProbeIo::tell(ProbeResult& result) const {
  result.writeErrors = writeErrors_;
  result.readErrors = readErrors_;
  result.retriedWrites = retriedWrites_;
  result.retriedReads = retriedReads_;
  result.bytesWritten = written_;
  result.bytesRead = read_;
  result.milliseconds = nanosecondsSinceStart() / 1'000'000;
}

bool ProbeIo::write(uint64_t offset, uint64_t bytes, uint64_t generation) {
  for (uint64_t block = 0; block < bytes; block += kBlock) {
    signature_.write(offset + block, std::span<char>(buffer_.get() + block, kBlock), generation);
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    written_ += bytes;
    if (target_.write(offset, std::span<const char>(buffer_.get(), bytes)) ==
        ProbeTarget::Outcome::done) {
      taken_ += bytes;
      if (attempt > 0) ++retriedWrites_;
      highestTaken_ = std::max(highestTaken_, offset + bytes);
      unexplainedRefusals_ = 0;
      return true;
    }
  }
  addTrouble(writeErrors_, offset, bytes);
  if (offset < highestTaken_) ++unexplainedRefusals_;
  noteFailure();
  return false;
}

bool ProbeIo::read(uint64_t offset, uint64_t bytes) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    read_ += bytes;
    if (target_.read(offset, std::span<char>(buffer_.get(), bytes)) == ProbeTarget::Outcome::done) {
      if (attempt > 0) ++retriedReads_;
      return true;
    }
  }
  addTrouble(readErrors_, offset, bytes);
  noteFailure();
  return false;
}

ProbeSignature::Reading ProbeIo::inspect(uint64_t offset, uint64_t blockInBuffer) const {
  return signature_.inspect(offset,
                            std::span<const char>(buffer_.get() + blockInBuffer * kBlock, kBlock));
}

void ProbeIo::noteFailure() {
  // What was moved before this request, which the drive failed.
  const uint64_t moved = written_ + read_;
  checkCancel_();
  // The anchor goes through a buffer of its own: the caller's blocks stay.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (target_.read(0, std::span<char>(anchor_.get(), kBlock)) == ProbeTarget::Outcome::done)
      return;
  }
  const double seconds = double(nanosecondsSinceStart()) / 1e9;
  throw ProbeError(ProbeError::stoppedResponding,
                   "the drive stopped responding after " + fixedDecimal(double(moved) / 1e6, 1) +
                       " MB had been written and read, " + fixedDecimal(seconds, 1) +
                       " s into the test");
}

}  // namespace tessaro
