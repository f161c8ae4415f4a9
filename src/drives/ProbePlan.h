// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace tessaro {

// Where a capacity probe writes its signature blocks, and how much.
//
// A counterfeit drive keeps the first R bytes and, past them, loses what is
// written (drops it, or answers reads with zeros, old data or errors) or
// stores it over an earlier block: at the offset modulo R, or modulo the power
// of two its controller counts to (a chain: past R and below that power
// writes vanish). A round writes its samples from the highest down and then,
// also from the top down, a filler region at the start of the drive, and
// reads the samples back:
//   - A sample written past R that lands within the filler is overwritten by
//     the filler written after it, so reading it back shows the filler's
//     block instead of its own. Every wrap modulo R sends [R, R + filler)
//     there, so as long as samples are no further apart than the filler, some
//     sample just above R reads back wrong.
//   - A drive whose write cache answers reads of data it never stored is
//     caught only by reading a sample back after more than the cache holds
//     has been written since. The filler is that write: the probe reads the
//     first samples it wrote (the highest, always past R on a counterfeit)
//     while it writes the filler, and the filler runs until one goes bad (the
//     cache found) or more than cacheLimit() has been written since they were
//     (no lying cache up to that size), as much as f3probe writes there.
//   - The filler is signed too, and read back while it is written (a block
//     from a while ago) and after it (a sample spread over all of it): a
//     drive that stops storing what it takes after some volume, wherever it
//     goes, shows there.
// A quick round first (the blocks at and just below every power of two, and
// the last one, behind the timed sequential region) settles most
// counterfeits with a few MiB of I/O; the survey (random samples in equal
// slices, no further apart than half the shadow) runs only when the quick
// round found nothing wrong.
class ProbePlan {
 public:
  // One sample: a signature block of this size, at an offset that is a multiple of it.
  static constexpr std::int64_t blockBytes = 4096;

  struct Settings {
    int strata = 2048;  // survey samples at least: one a slice
    std::uint64_t shadowBytes = std::uint64_t(64)
                                << 20;  // refinement: widest gap a round leaves x2
    std::uint64_t cacheLimitBytes = std::uint64_t(2) << 30;   // the largest lying cache looked for
    std::uint64_t quickShadowBytes = std::uint64_t(1) << 20;  // the least filler of a survey
    std::uint64_t speedBytes = std::uint64_t(16) << 20;       // quick round's filler, timed
    int fillerChecks = 1024;                                  // filler blocks read back after it
    std::uint64_t watchBytes = std::uint64_t(8) << 20;  // filler written between two looks back
    std::uint64_t lagBytes = std::uint64_t(4) << 20;    // how far back such a look goes
    int refinementSamples = 256;                        // per refinement round
    int quickRefinementSamples = 16;                    // per round after a quick round settled it
    int refinementRounds = 8;
    std::uint64_t chunkBytes = std::uint64_t(1) << 20;  // largest single write or read
  };

  // The block-aligned size the probe covers: claimed bytes rounded down to whole blocks.
  static std::uint64_t coveredBytes(std::uint64_t claimedBytes);

  // The quick round's filler: the timed sequential region at the start.
  static std::uint64_t quickFiller(std::uint64_t claimedBytes, const Settings& settings);
  // The largest lying cache the survey's filler rules out on a drive that
  // gives no reason to look further: settings.cacheLimitBytes, or less where
  // the part of the drive above the power of two at or above its half is
  // smaller (as far as f3probe looks for one), but never less than the quick
  // round's filler.
  static std::uint64_t cacheLimit(std::uint64_t claimedBytes, const Settings& settings);

  // Blocks from the last one down, no further apart than half the cache
  // limit (more apart only on drives of over 2048 times that), for the quick
  // round to write first: after the survey's filler, which runs over the
  // start of the drive, at least one of them reads back wrong on any
  // counterfeit once a lying cache has let it go, as one lies in every
  // stretch that a wrap sends into the filler. Highest first.
  static std::vector<std::uint64_t> sentinels(std::uint64_t claimedBytes, const Settings& settings);

  // The quick round's samples: the blocks at and just below every power of
  // two, and the last block. Highest first, no repeats.
  static std::vector<std::uint64_t> quick(std::uint64_t claimedBytes);

  // The random source of a test: from seed, which makes it repeatable (tests
  // only), or without one from the operating system's entropy, so that every
  // run's samples and signatures are new.
  static std::mt19937_64 generator(std::optional<std::uint64_t> seed);

  // The survey's samples: one random block in each of at least
  // settings.strata equal slices, the slices no wider than half the survey's
  // filler (the larger of the shadow and the cache limit), so that the
  // sampling does not grow with capacity until that is reached. Highest
  // first, no repeats.
  static std::vector<std::uint64_t> survey(std::uint64_t claimedBytes, const Settings& settings,
                                           std::mt19937_64& random);

  // Twice the width of the survey's slices: the least filler behind its
  // samples that shows any wrap between them (the quick round's filler at
  // least).
  static std::uint64_t surveyShadow(std::uint64_t claimedBytes, const Settings& settings);

  // Up to count blocks evenly spread strictly between lastGood and firstBad
  // (block offsets; lastGood none when no block below firstBad held), highest first.
  static std::vector<std::uint64_t> refinement(std::optional<std::uint64_t> lastGood,
                                               std::uint64_t firstBad, int count);
  // How many blocks a refinement round takes between lastGood and firstBad:
  // settings.refinementSamples, more where that would leave gaps wider than
  // half the shadow (the filler of such a round would grow with the gap), up
  // to maxRefinementSamples.
  static constexpr int maxRefinementSamples = 16384;
  static int refinementCount(std::optional<std::uint64_t> lastGood, std::uint64_t firstBad,
                             const Settings& settings);
  // The widest gap those blocks leave, in bytes: what the filler of their
  // round has to cover for a wrap between them to show.
  static std::uint64_t refinementSpacing(std::optional<std::uint64_t> lastGood,
                                         std::uint64_t firstBad, int count);

  // About how long a whole probe of a genuine drive of claimedBytes takes, in
  // seconds, for the user to decide on: the quick round, the survey, the
  // filler up to the cache limit and the timed region, at what a slow USB
  // stick manages (5 ms for a single block, 10 MB/s writing and 30 MB/s
  // reading in one stream).
  static std::int64_t estimatedSeconds(std::uint64_t claimedBytes, const Settings& settings);
  // The same for a full test, which writes every block and reads it back.
  static std::int64_t estimatedFullSeconds(std::uint64_t claimedBytes);
};

}  // namespace tessaro
