// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QRandomGenerator>
#include <QtGlobal>
#include <vector>

namespace tessaro {

// Where a capacity probe writes its signature blocks, and in what order.
//
// A counterfeit drive keeps the first R bytes and, past them, either loses
// what is written or stores it over an earlier block: commonly at the offset
// modulo R, or modulo the power of two its controller counts to. A probe
// round therefore writes
//   - the sampled offsets, from the highest down, and then
//   - the whole "shadow" region at the start of the drive, last.
// A block written past R that lands on [0, shadowBytes) is overwritten by the
// shadow written after it, so reading it back shows the shadow's signature
// instead of its own. Every wrap modulo R sends [R, R + shadowBytes) there, so
// as long as the survey samples no further apart than shadowBytes, some
// sample within shadowBytes above R reads back wrong, and refinement rounds
// between the last good and first bad sample find R to the block.
//
// The shadow region also defeats the drive's cache: it is written after every
// other block of the round and reads go in the order of the writes, so
// between writing a sample and reading it back the drive has taken at least
// cacheBytes of other writes (the shadow) and, for the shadow itself, the
// reads of every other block. Flash controllers of USB sticks and memory
// cards buffer kilobytes to a few MiB; cacheBytes is 64 MiB by default.
class ProbePlan {
 public:
  struct Settings {
    int strata = 2048;                       // random survey samples: one in each equal slice
    quint64 cacheBytes = quint64(64) << 20;  // written between a sample and its read
    int refinementSamples = 256;             // per refinement round
    int refinementRounds = 3;
    quint64 chunkBytes = quint64(1) << 20;  // largest single write or read
  };

  // A run of consecutive blocks written or read with one call.
  struct Extent {
    quint64 offset = 0;
    quint64 blocks = 0;
    bool operator==(const Extent&) const = default;
  };

  // The block-aligned size the probe covers: claimed bytes rounded down to whole blocks.
  static quint64 coveredBytes(quint64 claimedBytes);

  // Size of the shadow region at the start of the drive: at least cacheBytes
  // and twice the survey's stride, never more than the drive.
  static quint64 shadowBytes(quint64 claimedBytes, const Settings& settings);

  // The survey's samples outside the shadow region: the blocks at and just
  // below every power of two, the last block, and one random block in each of
  // settings.strata equal slices. Highest first, no repeats.
  static std::vector<quint64> survey(quint64 claimedBytes, const Settings& settings,
                                     QRandomGenerator& random);

  // Up to count blocks evenly spread strictly between lastGood and firstBad
  // (block offsets; lastGood none when no block below firstBad held), highest first.
  static std::vector<quint64> refinement(std::optional<quint64> lastGood, quint64 firstBad,
                                         int count);

  // About how long a whole probe of a genuine drive of claimedBytes takes, in
  // seconds, for the user to decide on: the survey and the shadow region
  // written and read back once, at what a slow USB stick manages (5 ms for a
  // single block, 10 MB/s writing and 30 MB/s reading in one stream).
  static qint64 estimatedSeconds(quint64 claimedBytes, const Settings& settings);

  // One round's writes (and reads, in the same order): the samples from the
  // highest down, then the shadow region in chunks, also from the top down.
  static std::vector<Extent> round(const std::vector<quint64>& samples, quint64 shadowBytes,
                                   quint64 chunkBytes);
};

}  // namespace tessaro
