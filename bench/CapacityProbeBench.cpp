// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What a capacity test costs on a block device: the probe of a genuine 16 GiB
// sparse image on a loop device, against a baseline measured in the same run
// on the same device: the same number of bytes written and read back
// sequentially in 1 MiB transfers with O_DIRECT. The counters give the
// probe's cost as a ratio of that baseline, and as a share of a full write
// and read pass over the claimed size at the baseline's rate, the long pass
// that the probe replaces. Needs root (loop devices); skips itself otherwise.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "drives/CapacityProbe.h"
#include "drives/linux/LinuxProbeDevice.h"

namespace {

constexpr qint64 kClaimed = qint64(16) << 30;
constexpr size_t kChunk = size_t(1) << 20;

QString run(const QString& program, const QStringList& args) {
  QProcess process;
  process.start(program, args);
  process.waitForFinished(60000);
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Sequential O_DIRECT write then read of bytes at the start of fd; seconds.
double sequentialPass(int fd, quint64 bytes) {
  std::unique_ptr<char, void (*)(void*)> buffer(
      static_cast<char*>(std::aligned_alloc(4096, kChunk)), std::free);
  for (size_t i = 0; i < kChunk; ++i) buffer.get()[i] = char(i * 131);
  QElapsedTimer clock;
  clock.start();
  for (quint64 at = 0; at < bytes; at += kChunk) {
    if (::pwrite(fd, buffer.get(), kChunk, off_t(at)) != ssize_t(kChunk)) return -1;
  }
  ::fdatasync(fd);
  for (quint64 at = 0; at < bytes; at += kChunk) {
    if (::pread(fd, buffer.get(), kChunk, off_t(at)) != ssize_t(kChunk)) return -1;
  }
  return double(clock.nsecsElapsed()) / 1e9;
}

void BM_ProbeGenuine16GiBLoopDevice(benchmark::State& state) {
  if (geteuid() != 0) {
    state.SkipWithError("needs root for a loop device");
    return;
  }
  QTemporaryDir dir;
  const QString image = dir.filePath("disk.img");
  run("truncate", {"-s", QString::number(kClaimed), image});
  const QString device = run("losetup", {"--find", "--show", image});
  if (!device.startsWith("/dev/loop")) {
    state.SkipWithError("losetup failed");
    return;
  }
  const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_DIRECT | O_EXCL | O_CLOEXEC);
  double probeSeconds = 0, baselineSeconds = 0;
  quint64 movedBytes = 0;
  qint64 samples = 0;
  int rounds = 0;
  if (fd >= 0) {
    tessaro::LinuxProbeDevice target(fd, device);
    for (auto _ : state) {
      QElapsedTimer clock;
      clock.start();
      const tessaro::ProbeResult result = tessaro::CapacityProbe(target).run();
      probeSeconds += double(clock.nsecsElapsed()) / 1e9;
      movedBytes = result.bytesWritten;
      samples = result.samples;
      baselineSeconds += sequentialPass(fd, movedBytes);
      ++rounds;
    }
    ::close(fd);
  }
  run("losetup", {"--detach", device});
  if (rounds == 0) return;
  const double baselineRate =
      double(movedBytes) / (baselineSeconds / rounds);  // bytes/s, both ways
  state.counters["samples"] = double(samples);
  state.counters["MiB_written"] = double(movedBytes) / double(1 << 20);
  state.counters["probe_s"] = probeSeconds / rounds;
  state.counters["probe_vs_same_bytes_sequential"] = probeSeconds / baselineSeconds;
  state.counters["probe_vs_full_pass"] =
      (probeSeconds / rounds) / (double(kClaimed) / baselineRate);
}
BENCHMARK(BM_ProbeGenuine16GiBLoopDevice)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
