// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaro::fake {

// Where a drive that claims more than it has puts what is written past its
// real size.
enum class Placement {
  genuine,    // stores everything (the real size is the claimed one)
  wrap,       // offset o goes to o mod REAL
  chain,      // wraps at the power of two at or above REAL; writes between
              // REAL and that power vanish, reads there return zeros
  drop,       // writes past REAL vanish; reads there return zeros
  failReads,  // writes past REAL vanish; reads there fail with EIO
  failIo,     // writes and reads past REAL fail with EIO
  garbage,    // writes past REAL vanish; reads there return a fixed pattern
  onePlace,   // every 4 KiB block past REAL lands on the one at 1 MiB
};

// One fake drive: its kind, sizes and flaws, as the FUSE program and the
// unit tests take them, "KIND CLAIMED REAL [OPTIONS]":
//   --cache BYTES          the last BYTES written (in 512-byte sectors) answer
//                          reads, whether stored or not (a lying write cache)
//   --delay-us N           every request takes N microseconds more
//   --fail-after-ms N      from N ms after the first write on, every request
//                          fails with EIO (a drive that dies)
//   --drop-after BYTES     once BYTES have been written, writes vanish
//                          silently (reads return what was there before)
//   --readonly-after BYTES once BYTES have been written, writes fail with EIO
//                          (worn flash in its write-protect mode)
//   --erofs-after BYTES    the same with EROFS
//   --flip-band AT BYTES   reads of the BYTES from AT come back with one bit
//                          flipped in every 512-byte sector (bad sectors)
// A genuine drive's REAL is ignored.
struct FakeDriveShape {
  Placement placement = Placement::genuine;
  uint64_t claimed = 0;
  uint64_t real = 0;
  uint64_t cacheBytes = 0;
  uint64_t delayUs = 0;
  std::optional<uint64_t> failAfterMs;
  std::optional<uint64_t> dropAfter;
  std::optional<uint64_t> readOnlyAfter;
  std::optional<uint64_t> erofsAfter;
  uint64_t bandAt = 0;
  uint64_t bandBytes = 0;

  // None, with error set, for words that name no valid drive.
  static std::optional<FakeDriveShape> parse(const std::vector<std::string>& words,
                                             std::string& error);
  static const char* usage();
};

}  // namespace tessaro::fake
