// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbePlan.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace tessaro {

namespace {

constexpr std::uint64_t kBlock = ProbePlan::blockBytes;

std::uint64_t alignDown(std::uint64_t value) { return value / kBlock * kBlock; }

// The width of the survey's slices over covered bytes, in whole blocks.
std::uint64_t surveyStride(std::uint64_t covered, const ProbePlan::Settings& settings) {
  const std::uint64_t blocks = covered / kBlock;
  const std::uint64_t filler = std::max(settings.shadowBytes, settings.cacheLimitBytes);
  const std::uint64_t widest = std::max<std::uint64_t>(filler / 2 / kBlock, 1);
  const std::uint64_t strata = std::max<std::uint64_t>(std::uint64_t(std::max(settings.strata, 1)),
                                                       (blocks + widest - 1) / widest);
  return std::max<std::uint64_t>((blocks + strata - 1) / strata, 1) * kBlock;
}

// A number below bound from the generator's next word: the same on every
// platform for the same seed, as a distribution of the library's need not be.
std::uint64_t below(std::mt19937_64& random, std::uint64_t bound) {
  return std::uint64_t((unsigned __int128)(random()) * bound >> 64);
}

void descendingUnique(std::vector<std::uint64_t>& samples) {
  std::sort(samples.begin(), samples.end(), std::greater<>());
  samples.erase(std::unique(samples.begin(), samples.end()), samples.end());
}

}  // namespace

std::uint64_t ProbePlan::coveredBytes(std::uint64_t claimedBytes) {
  return alignDown(claimedBytes);
}

std::uint64_t ProbePlan::quickFiller(std::uint64_t claimedBytes, const Settings& settings) {
  return alignDown(std::min(settings.speedBytes, coveredBytes(claimedBytes) / 4));
}

std::uint64_t ProbePlan::cacheLimit(std::uint64_t claimedBytes, const Settings& settings) {
  const std::uint64_t covered = coveredBytes(claimedBytes);
  std::uint64_t half = kBlock;
  while (half < covered / 2) half <<= 1;  // the power of two at or above half of it
  const std::uint64_t above = covered > half ? covered - half : covered / 2;
  return alignDown(
      std::max(std::min(settings.cacheLimitBytes, above), quickFiller(claimedBytes, settings)));
}

std::vector<std::uint64_t> ProbePlan::sentinels(std::uint64_t claimedBytes,
                                                const Settings& settings) {
  const std::uint64_t covered = coveredBytes(claimedBytes);
  std::vector<std::uint64_t> ladder;
  if (covered == 0) return ladder;
  const std::uint64_t spacing = std::max(
      {alignDown(cacheLimit(claimedBytes, settings) / 2), alignDown(covered / 2048), kBlock});
  // Down to the last one past the first stretch: below it, the filler.
  for (std::uint64_t at = covered - kBlock; ladder.empty() || at >= spacing; at -= spacing) {
    ladder.push_back(at);
    if (at < 2 * spacing) break;
  }
  return ladder;
}

std::vector<std::uint64_t> ProbePlan::quick(std::uint64_t claimedBytes) {
  const std::uint64_t covered = coveredBytes(claimedBytes);
  std::vector<std::uint64_t> samples;
  if (covered == 0) return samples;
  for (std::uint64_t boundary = 2 * kBlock; boundary < covered && boundary != 0; boundary <<= 1) {
    samples.push_back(boundary - kBlock);
    samples.push_back(boundary);
  }
  samples.push_back(covered - kBlock);
  descendingUnique(samples);
  return samples;
}

std::int64_t ProbePlan::estimatedSeconds(std::uint64_t claimedBytes, const Settings& settings) {
  constexpr double secondsPerSample = 0.005 + 0.001;  // one block written, then read
  constexpr double writeBytesPerSecond = 10e6;
  constexpr double readBytesPerSecond = 30e6;
  const std::uint64_t covered = coveredBytes(claimedBytes);
  if (covered == 0) return 0;
  // A genuine drive takes the longest: the quick round and the whole survey,
  // the filler written up to the largest cache looked for, and the timed
  // region written and read.
  const double samples =
      double(quick(claimedBytes).size()) + double(covered / surveyStride(covered, settings));
  const double filler = double(cacheLimit(claimedBytes, settings));
  const double timed = double(quickFiller(claimedBytes, settings));
  return std::int64_t(std::ceil(samples * secondsPerSample + filler / writeBytesPerSecond +
                                timed / readBytesPerSecond));
}

std::int64_t ProbePlan::estimatedFullSeconds(std::uint64_t claimedBytes) {
  const double covered = double(coveredBytes(claimedBytes));
  return std::int64_t(std::ceil(covered / 10e6 + covered / 30e6));
}

std::mt19937_64 ProbePlan::generator(std::optional<std::uint64_t> seed) {
  if (seed) return std::mt19937_64(*seed);
  std::random_device entropy;
  std::seed_seq seeds{entropy(), entropy(), entropy(), entropy(),
                      entropy(), entropy(), entropy(), entropy()};
  return std::mt19937_64(seeds);
}

std::vector<std::uint64_t> ProbePlan::survey(std::uint64_t claimedBytes, const Settings& settings,
                                             std::mt19937_64& random) {
  const std::uint64_t covered = coveredBytes(claimedBytes);
  std::vector<std::uint64_t> samples;
  if (covered == 0) return samples;
  const std::uint64_t blocks = covered / kBlock;
  const std::uint64_t step = surveyStride(covered, settings) / kBlock;
  for (std::uint64_t start = 0; start < blocks; start += step) {
    const std::uint64_t width = std::min(step, blocks - start);
    samples.push_back((start + below(random, width)) * kBlock);
  }
  descendingUnique(samples);
  return samples;
}

std::uint64_t ProbePlan::surveyShadow(std::uint64_t claimedBytes, const Settings& settings) {
  const std::uint64_t covered = coveredBytes(claimedBytes);
  return std::min(std::max(2 * surveyStride(covered, settings), settings.quickShadowBytes),
                  covered);
}

std::vector<std::uint64_t> ProbePlan::refinement(std::optional<std::uint64_t> lastGood,
                                                 std::uint64_t firstBad, int count) {
  std::vector<std::uint64_t> samples;
  const std::uint64_t first = lastGood ? *lastGood + kBlock : 0;  // lowest candidate
  if (count <= 0 || firstBad <= first) return samples;
  const std::uint64_t candidates = (firstBad - first) / kBlock;
  if (candidates <= std::uint64_t(count)) {
    for (std::uint64_t i = 0; i < candidates; ++i) samples.push_back(first + i * kBlock);
  } else {
    // Evenly spread, the lowest candidate included so the good side closes in too.
    for (int i = 0; i < count; ++i) {
      samples.push_back(first + (candidates * std::uint64_t(i) / std::uint64_t(count)) * kBlock);
    }
  }
  descendingUnique(samples);
  return samples;
}

int ProbePlan::refinementCount(std::optional<std::uint64_t> lastGood, std::uint64_t firstBad,
                               const Settings& settings) {
  const std::uint64_t first = lastGood ? *lastGood + kBlock : 0;
  const std::uint64_t gap = firstBad > first ? firstBad - first : 0;
  const std::uint64_t widest = std::max<std::uint64_t>(settings.shadowBytes / 2, kBlock);
  return int(std::clamp<std::uint64_t>((gap + widest - 1) / widest,
                                       std::uint64_t(std::max(settings.refinementSamples, 1)),
                                       std::uint64_t(maxRefinementSamples)));
}

std::uint64_t ProbePlan::refinementSpacing(std::optional<std::uint64_t> lastGood,
                                           std::uint64_t firstBad, int count) {
  const std::uint64_t first = lastGood ? *lastGood + kBlock : 0;
  if (count <= 0 || firstBad <= first) return kBlock;
  const std::uint64_t candidates = (firstBad - first) / kBlock;
  return ((candidates + std::uint64_t(count) - 1) / std::uint64_t(count) + 1) * kBlock;
}

}  // namespace tessaro
