// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Many drives at once, as the user meets it: tessaro-cli over a batch of N
// drives (one run of the helper over them all) against the same drives one
// after another, in the same rounds, interleaved. Formats run on loop
// devices over blank sparse images (what a batch shares there is this
// machine's two cores) and on the tests' fake drive slowed as a USB stick is
// (every request waits); capacity tests on the slowed fake drive, so that
// what a batch can share is the drives' latency. Needs root,
// loop devices and /dev/fuse.
//
// Goals: a batch of 8 capacity tests at most 1.5x the time of one drive's,
// a batch of 8 formats at most 2x.

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <vector>

#include "BenchRounds.h"
#include "CounterfeitDrive.h"
#include "LoopDisk.h"

namespace {

using tessaro::test::CounterfeitDrive;
using tessaro::test::LoopDisk;

constexpr qint64 kMiB = qint64(1) << 20;
constexpr int kRounds = 3;
constexpr int kMostDrives = 8;

// One row: the batch's time against the same drives one after another.
void printRow(const char* what, int count, const bench::Ratios& ratios) {
  if (ratios.values.empty()) {
    std::printf("%-21s N=%d  no valid round\n", what, count);
  } else {
    std::printf(
        "%-21s N=%d  batch %7.2f s  one after another %7.2f s  ratio %.2fx (min %.2fx)  "
        "batch of N / one drive %.2fx  load %s\n",
        what, count, bench::median(ratios.ours), bench::median(ratios.theirs),
        bench::median(ratios.values), *std::min_element(ratios.values.begin(), ratios.values.end()),
        bench::median(ratios.ours) / (bench::median(ratios.theirs) / count),
        bench::loadAverage().constData());
  }
  std::fflush(stdout);
}

// The time of command over names as one batch against one command per name,
// in turn.
void race(const QStringList& command, const QStringList& options, const QStringList& names,
          bench::Ratios& ratios) {
  const double together = bench::secondsToRun(command + names + options);
  double oneByOne = 0;
  for (const QString& name : names) {
    const double took = bench::secondsToRun(command + QStringList{name} + options);
    if (took < 0) return;
    oneByOne += took;
  }
  ratios.add(together, oneByOne);
}

void BM_BatchAgainstOneAfterAnother(benchmark::State& state) {
  bench::printLoad("before");
  std::vector<std::unique_ptr<LoopDisk>> disks;
  std::vector<std::unique_ptr<CounterfeitDrive>> fakes;
  for (int i = 0; i < kMostDrives; ++i) {
    disks.push_back(
        std::make_unique<LoopDisk>(LoopDisk::Options{.bytes = 300 * kMiB, .blank = true}));
    if (!disks.back()->ready()) {
      state.SkipWithError("no loop device");
      return;
    }
    fakes.push_back(std::make_unique<CounterfeitDrive>(QStringLiteral("genuine"), 512 * kMiB, 0,
                                                       QStringList{"--delay-us", "1000"}));
    if (fakes.back()->device().isEmpty()) {
      state.SkipWithError(qPrintable("no fake drive: " + fakes.back()->failure()));
      return;
    }
  }
  const QString cli = bench::program("TESSARO_CLI", TESSARO_CLI_BUILD_PATH);
  // TESSARO_BENCH_BATCH_SIZES=8 (or 1,4) measures those batch sizes alone.
  std::vector<int> counts;
  for (const QString& count : qEnvironmentVariable("TESSARO_BENCH_BATCH_SIZES", "1,2,4,8")
                                  .split(QLatin1Char(','), Qt::SkipEmptyParts))
    counts.push_back(std::clamp(count.toInt(), 1, kMostDrives));
  for (auto _ : state) {
    for (const int count : counts) {
      QStringList loops, fakeNames;
      for (int i = 0; i < count; ++i) {
        loops << disks[size_t(i)]->name();
        fakeNames << fakes[size_t(i)]->device().mid(5);
      }
      bench::Ratios format, slowFormat, probe;
      for (int round = 0; round < kRounds; ++round) {
        race({cli, "format"}, {"--name", "BATCH", "--yes"}, loops, format);
        race({cli, "format"}, {"--name", "BATCH", "--yes"}, fakeNames, slowFormat);
        race({cli, "probe"}, {"--yes"}, fakeNames, probe);
      }
      printRow("format", count, format);
      printRow("format, slowed drives", count, slowFormat);
      printRow("probe", count, probe);
    }
  }
  bench::printLoad("after");
}

}  // namespace

BENCHMARK(BM_BatchAgainstOneAfterAnother)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK_MAIN();
