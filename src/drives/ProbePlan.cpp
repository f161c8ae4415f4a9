// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbePlan.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "drives/ProbeSignature.h"

namespace tessaro {

namespace {

constexpr quint64 kBlock = ProbeSignature::blockBytes;

quint64 alignDown(quint64 value) { return value / kBlock * kBlock; }

quint64 stride(quint64 covered, const ProbePlan::Settings& settings) {
  const quint64 strata = quint64(std::max(settings.strata, 1));
  const quint64 blocks = covered / kBlock;
  return std::max<quint64>((blocks + strata - 1) / strata, 1) * kBlock;
}

}  // namespace

quint64 ProbePlan::coveredBytes(quint64 claimedBytes) { return alignDown(claimedBytes); }

quint64 ProbePlan::shadowBytes(quint64 claimedBytes, const Settings& settings) {
  const quint64 covered = coveredBytes(claimedBytes);
  const quint64 wanted =
      std::max(alignDown(settings.cacheBytes + kBlock - 1), 2 * stride(covered, settings));
  return std::min(wanted, covered);
}

qint64 ProbePlan::estimatedSeconds(quint64 claimedBytes, const Settings& settings) {
  constexpr double secondsPerSample = 0.005 + 0.001;  // one block written, then read
  constexpr double writeBytesPerSecond = 10e6;
  constexpr double readBytesPerSecond = 30e6;
  const quint64 covered = coveredBytes(claimedBytes);
  // The samples: one per slice, and two at each power of two.
  int boundaries = 0;
  for (quint64 boundary = kBlock; boundary < covered && boundary != 0; boundary <<= 1) ++boundaries;
  const double samples = double(std::max(settings.strata, 0)) + 2.0 * boundaries;
  const double shadow = double(shadowBytes(claimedBytes, settings));
  return qint64(std::ceil(samples * secondsPerSample + shadow / writeBytesPerSecond +
                          shadow / readBytesPerSecond));
}

std::vector<quint64> ProbePlan::survey(quint64 claimedBytes, const Settings& settings,
                                       QRandomGenerator& random) {
  const quint64 covered = coveredBytes(claimedBytes);
  const quint64 shadow = shadowBytes(claimedBytes, settings);
  std::vector<quint64> samples;
  if (covered == 0) return samples;
  const auto add = [&](quint64 offset) {
    if (offset >= shadow && offset < covered) samples.push_back(offset);
  };
  for (quint64 boundary = kBlock; boundary < covered && boundary != 0; boundary <<= 1) {
    add(boundary - kBlock);
    add(boundary);
  }
  add(covered - kBlock);
  const quint64 step = stride(covered, settings);
  for (quint64 start = 0; start < covered; start += step) {
    const quint64 blocks = std::min(step, covered - start) / kBlock;
    add(start + random.bounded(quint64(0), blocks) * kBlock);
  }
  std::sort(samples.begin(), samples.end(), std::greater<>());
  samples.erase(std::unique(samples.begin(), samples.end()), samples.end());
  return samples;
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
  std::sort(samples.begin(), samples.end(), std::greater<>());
  samples.erase(std::unique(samples.begin(), samples.end()), samples.end());
  return samples;
}

std::vector<ProbePlan::Extent> ProbePlan::round(const std::vector<quint64>& samples,
                                                quint64 shadowBytes, quint64 chunkBytes) {
  std::vector<quint64> outside;
  for (const quint64 offset : samples) {
    if (offset >= shadowBytes) outside.push_back(offset);
  }
  std::sort(outside.begin(), outside.end(), std::greater<>());
  outside.erase(std::unique(outside.begin(), outside.end()), outside.end());

  std::vector<Extent> extents;
  for (const quint64 offset : outside) extents.push_back({offset, 1});
  const quint64 chunkBlocks = std::max<quint64>(chunkBytes / kBlock, 1);
  quint64 end = shadowBytes / kBlock;
  while (end > 0) {
    const quint64 blocks = std::min(chunkBlocks, end);
    end -= blocks;
    extents.push_back({end * kBlock, blocks});
  }
  return extents;
}

}  // namespace tessaro
