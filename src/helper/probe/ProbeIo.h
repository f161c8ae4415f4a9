// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "drives/ProbeResult.h"
#include "helper/probe/ProbeSignature.h"
#include "helper/probe/ProbeTarget.h"

namespace tessaro {

// A capacity test's requests to its drive: signed blocks written from one
// buffer and read back into it, every request the drive fails tried once
// more, and what fails again counted. After such a failure the first block of
// the drive is read, which every drive really stores: when the drive fails
// that too (twice), it has stopped answering, and a ProbeError with
// stoppedResponding ends the test.
class ProbeIo {
 public:
  using Clock = std::chrono::steady_clock;
  // checkCancel throws when the test is to stop; it is asked before the
  // first block is read after a failure.
  ProbeIo(ProbeTarget& target, uint64_t bufferBytes, const ProbeSignature& signature,
          std::function<void()> checkCancel);

  // bytes (a multiple of the block, at most the buffer) at offset, signed
  // as of generation: true when the drive took them, or returned them.
  bool write(uint64_t offset, uint64_t bytes, uint64_t generation = 0);
  bool read(uint64_t offset, uint64_t bytes);
  // What the block at blockInBuffer of the last read, read from offset, holds.
  ProbeSignature::Reading inspect(uint64_t offset, uint64_t blockInBuffer) const;
  void flush() { target_.flush(); }

  uint64_t bytesWritten() const { return written_; }  // every attempt
  uint64_t bytesTaken() const { return taken_; }      // what the drive took
  uint64_t bytesRead() const { return read_; }
  // Writes refused at offsets below one the drive took, in a row: no
  // capacity limit explains them.
  int unexplainedRefusals() const { return unexplainedRefusals_; }
  const ProbeResult::Trouble& writeErrors() const { return writeErrors_; }
  const ProbeResult::Trouble& readErrors() const { return readErrors_; }
  uint64_t retriedWrites() const { return retriedWrites_; }
  uint64_t retriedReads() const { return retriedReads_; }
  std::int64_t nanosecondsSinceStart() const;
  // Into result: the requests that failed or were retried, the bytes moved
  // and the time taken so far.
  void tell(ProbeResult& result) const;

 private:
  void noteFailure();

  ProbeTarget& target_;
  const ProbeSignature& signature_;
  std::function<void()> checkCancel_;
  std::unique_ptr<char, void (*)(void*)> buffer_;
  std::unique_ptr<char, void (*)(void*)> anchor_;
  Clock::time_point startedAt_;
  uint64_t written_ = 0;
  uint64_t taken_ = 0;
  uint64_t read_ = 0;
  uint64_t highestTaken_ = 0;
  int unexplainedRefusals_ = 0;
  ProbeResult::Trouble writeErrors_;
  ProbeResult::Trouble readErrors_;
  uint64_t retriedWrites_ = 0;
  uint64_t retriedReads_ = 0;
};

}  // namespace tessaro
