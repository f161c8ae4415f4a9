// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbePlan.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace tessaro {

namespace {

constexpr quint64 kBlock = ProbePlan::blockBytes;

quint64 alignDown(quint64 value) { return value / kBlock * kBlock; }

// The width of the survey's slices over covered bytes, in whole blocks.
quint64 surveyStride(quint64 covered, const ProbePlan::Settings& settings) {
  const quint64 blocks = covered / kBlock;
  const quint64 filler = std::max(settings.shadowBytes, settings.cacheLimitBytes);
  const quint64 widest = std::max<quint64>(filler / 2 / kBlock, 1);
  const quint64 strata =
      std::max<quint64>(quint64(std::max(settings.strata, 1)), (blocks + widest - 1) / widest);
  return std::max<quint64>((blocks + strata - 1) / strata, 1) * kBlock;
}

void descendingUnique(std::vector<quint64>& samples) {
  std::sort(samples.begin(), samples.end(), std::greater<>());
  samples.erase(std::unique(samples.begin(), samples.end()), samples.end());
}

}  // namespace

quint64 ProbePlan::coveredBytes(quint64 claimedBytes) { return alignDown(claimedBytes); }

quint64 ProbePlan::quickFiller(quint64 claimedBytes, const Settings& settings) {
  return alignDown(std::min(settings.speedBytes, coveredBytes(claimedBytes) / 4));
}

quint64 ProbePlan::cacheLimit(quint64 claimedBytes, const Settings& settings) {
  const quint64 covered = coveredBytes(claimedBytes);
  quint64 half = kBlock;
  while (half < covered / 2) half <<= 1;  // the power of two at or above half of it
  const quint64 above = covered > half ? covered - half : covered / 2;
  return alignDown(
      std::max(std::min(settings.cacheLimitBytes, above), quickFiller(claimedBytes, settings)));
}

std::vector<quint64> ProbePlan::sentinels(quint64 claimedBytes, const Settings& settings) {
  const quint64 covered = coveredBytes(claimedBytes);
  std::vector<quint64> ladder;
  if (covered == 0) return ladder;
  const quint64 spacing = std::max(
      {alignDown(cacheLimit(claimedBytes, settings) / 2), alignDown(covered / 2048), kBlock});
  // Down to the last one past the first stretch: below it, the filler.
  for (quint64 at = covered - kBlock; ladder.empty() || at >= spacing; at -= spacing) {
    ladder.push_back(at);
    if (at < 2 * spacing) break;
  }
  return ladder;
}

std::vector<quint64> ProbePlan::quick(quint64 claimedBytes) {
  const quint64 covered = coveredBytes(claimedBytes);
  std::vector<quint64> samples;
  if (covered == 0) return samples;
  for (quint64 boundary = 2 * kBlock; boundary < covered && boundary != 0; boundary <<= 1) {
    samples.push_back(boundary - kBlock);
    samples.push_back(boundary);
  }
  samples.push_back(covered - kBlock);
  descendingUnique(samples);
  return samples;
}

qint64 ProbePlan::estimatedSeconds(quint64 claimedBytes, const Settings& settings) {
  constexpr double secondsPerSample = 0.005 + 0.001;  // one block written, then read
  constexpr double writeBytesPerSecond = 10e6;
  constexpr double readBytesPerSecond = 30e6;
  const quint64 covered = coveredBytes(claimedBytes);
  if (covered == 0) return 0;
  // A genuine drive takes the longest: the quick round and the whole survey,
  // the filler written up to the largest cache looked for, and the timed
  // region written and read.
  const double samples =
      double(quick(claimedBytes).size()) + double(covered / surveyStride(covered, settings));
  const double filler = double(cacheLimit(claimedBytes, settings));
  const double timed = double(quickFiller(claimedBytes, settings));
  return qint64(std::ceil(samples * secondsPerSample + filler / writeBytesPerSecond +
                          timed / readBytesPerSecond));
}

qint64 ProbePlan::estimatedFullSeconds(quint64 claimedBytes) {
  const double covered = double(coveredBytes(claimedBytes));
  return qint64(std::ceil(covered / 10e6 + covered / 30e6));
}

std::vector<quint64> ProbePlan::survey(quint64 claimedBytes, const Settings& settings,
                                       QRandomGenerator& random) {
  const quint64 covered = coveredBytes(claimedBytes);
  std::vector<quint64> samples;
  if (covered == 0) return samples;
  const quint64 blocks = covered / kBlock;
  const quint64 step = surveyStride(covered, settings) / kBlock;
  for (quint64 start = 0; start < blocks; start += step) {
    const quint64 width = std::min(step, blocks - start);
    samples.push_back((start + random.bounded(quint64(0), width)) * kBlock);
  }
  descendingUnique(samples);
  return samples;
}

quint64 ProbePlan::surveyShadow(quint64 claimedBytes, const Settings& settings) {
  const quint64 covered = coveredBytes(claimedBytes);
  return std::min(std::max(2 * surveyStride(covered, settings), settings.quickShadowBytes),
                  covered);
}

std::vector<quint64> ProbePlan::refinement(std::optional<quint64> lastGood, quint64 firstBad,
                                           int count) {
  std::vector<quint64> samples;
  const quint64 first = lastGood ? *lastGood + kBlock : 0;  // lowest candidate
  if (count <= 0 || firstBad <= first) return samples;
  const quint64 candidates = (firstBad - first) / kBlock;
  if (candidates <= quint64(count)) {
    for (quint64 i = 0; i < candidates; ++i) samples.push_back(first + i * kBlock);
  } else {
    // Evenly spread, the lowest candidate included so the good side closes in too.
    for (int i = 0; i < count; ++i) {
      samples.push_back(first + (candidates * quint64(i) / quint64(count)) * kBlock);
    }
  }
  descendingUnique(samples);
  return samples;
}

int ProbePlan::refinementCount(std::optional<quint64> lastGood, quint64 firstBad,
                               const Settings& settings) {
  const quint64 first = lastGood ? *lastGood + kBlock : 0;
  const quint64 gap = firstBad > first ? firstBad - first : 0;
  const quint64 widest = std::max<quint64>(settings.shadowBytes / 2, kBlock);
  return int(std::clamp<quint64>((gap + widest - 1) / widest,
                                 quint64(std::max(settings.refinementSamples, 1)),
                                 quint64(maxRefinementSamples)));
}

quint64 ProbePlan::refinementSpacing(std::optional<quint64> lastGood, quint64 firstBad, int count) {
  const quint64 first = lastGood ? *lastGood + kBlock : 0;
  if (count <= 0 || firstBad <= first) return kBlock;
  const quint64 candidates = (firstBad - first) / kBlock;
  return ((candidates + quint64(count) - 1) / quint64(count) + 1) * kBlock;
}

}  // namespace tessaro
