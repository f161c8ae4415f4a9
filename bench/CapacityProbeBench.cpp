// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What a capacity test costs and whether it is right, side by side with
// f3probe (f3, the reference tool for counterfeit flash) where it is
// installed. Each kind of the tests' FUSE fake drive is made afresh for each
// tool and attached to a loop device; Tessaro runs as the application runs
// it, `tessaro-helper probe NAME` (its start included), f3probe as
// `f3probe --destructive DEVICE`. Prints per kind each tool's verdict,
// whether it is exact, its time and the ratio of the times.
//
// Then the probe's own cost against a plain program doing its I/O: the
// probe of a genuine sparse image, its every write and read recorded, and
// the same transfers at the same offsets replayed with O_DIRECT from a
// buffer filled once, each on an image of its own.
//
// Needs root (loop devices, FUSE); skips itself otherwise.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "CounterfeitDrive.h"
#include "LoopDisk.h"
#include "contract/HelperContract.h"
#include "exec/HelperEvent.h"
#include "helper/probe/CapacityProbe.h"
#include "helper/probe/LinuxProbeDevice.h"

using namespace tessaro;

namespace {

constexpr qint64 kMiB = qint64(1) << 20;
constexpr qint64 kGiB = qint64(1) << 30;

struct Kind {
  const char* name;
  const char* mode;
  qint64 claimed;
  qint64 real;
  QStringList options = {};
  bool dies = false;  // stops answering part way: "failed" is the right answer
};

// What a tool said about a drive.
struct Answer {
  QString verdict;  // genuine, counterfeit, damaged, failed, or what went wrong
  std::optional<qint64> usable;
  double seconds = 0;
};

bool exact(const Kind& kind, const Answer& answer) {
  if (kind.dies) return answer.verdict == "failed" || answer.verdict == "damaged";
  if (kind.real == kind.claimed) return answer.verdict == "genuine";
  return answer.verdict == "counterfeit" && answer.usable == kind.real / 4096 * 4096;
}

Answer tessaroOn(const QString& device) {
  QProcess helper;
  QElapsedTimer clock;
  clock.start();
  // Its standard input stays open, as the application keeps it.
  helper.start(TESSARO_HELPER_BUILD_PATH, {"probe", device.mid(5)});
  helper.waitForFinished(-1);
  Answer answer;
  answer.seconds = double(clock.nsecsElapsed()) / 1e9;
  for (const QByteArray& line : helper.readAllStandardOutput().split('\n')) {
    const auto event = HelperEvent::fromLine(QString::fromUtf8(line));
    if (!event || event->kind() != HelperEvent::Kind::result) continue;
    const auto result = ProbeResult::fromJson(event->fields());
    if (!result) continue;
    answer.verdict = result->genuine() ? "genuine" : "counterfeit";
    answer.usable = qint64(result->usableBytes);
  }
  if (helper.exitCode() == HelperContract::driveStopped) answer.verdict = "failed";
  if (answer.verdict.isEmpty()) answer.verdict = QString("status %1").arg(helper.exitCode());
  return answer;
}

Answer f3probeOn(const QString& device) {
  QProcess f3;
  f3.setProcessChannelMode(QProcess::MergedChannels);
  QElapsedTimer clock;
  clock.start();
  f3.start("f3probe", {"--destructive", device});
  f3.closeWriteChannel();
  f3.waitForFinished(-1);
  Answer answer;
  answer.seconds = double(clock.nsecsElapsed()) / 1e9;
  const QString said = QString::fromUtf8(f3.readAll());
  if (said.contains("is the real thing")) {
    answer.verdict = "genuine";
  } else if (said.contains("is a counterfeit")) {
    answer.verdict = "counterfeit";
  } else if (said.contains("is damaged")) {
    answer.verdict = "damaged";
  } else {
    answer.verdict = QString("status %1").arg(f3.exitCode());
  }
  static const QRegularExpression usable(R"(\*Usable\* size: .*\((\d+) blocks\))");
  if (const auto match = usable.match(said); match.hasMatch()) {
    answer.usable = match.captured(1).toLongLong() * 512;
  }
  return answer;
}

template <typename Tool>
std::optional<Answer> onFreshFake(const Kind& kind, Tool tool) {
  test::CounterfeitDrive fake(kind.mode, kind.claimed, kind.real, kind.options);
  if (fake.device().isEmpty()) {
    std::fprintf(stderr, "%s: %s\n", kind.name, qPrintable(fake.failure()));
    return std::nullopt;
  }
  return tool(fake.device());
}

void BM_ProbeFakeDrivesAgainstF3probe(benchmark::State& state) {
  if (geteuid() != 0 || !QFileInfo::exists("/dev/fuse")) {
    state.SkipWithError("needs root for loop devices and /dev/fuse");
    return;
  }
  const bool haveF3 = QProcess::execute("sh", {"-c", "command -v f3probe >/dev/null"}) == 0;
  const auto cache = [](qint64 bytes) { return QStringList{"--cache", QString::number(bytes)}; };
  const Kind kinds[] = {
      {"genuine 16 GiB", "genuine", 16 * kGiB, 16 * kGiB},
      {"genuine 2 TiB", "genuine", 2048 * kGiB, 2048 * kGiB},
      {"wrap 16 GiB at 1 GiB", "wrap", 16 * kGiB, kGiB},
      {"wrap 16 GiB at 7.5 GiB", "wrap", 16 * kGiB, 15 * kGiB / 2},
      {"wrap 4 GiB at 700 MiB", "wrap", 4 * kGiB, 700 * kMiB + 12288},
      {"drop 4 GiB at 1.5 GiB", "drop", 4 * kGiB, 1536 * kMiB},
      {"drop 3 TiB at 2 TiB", "drop", 3072 * kGiB, 2048 * kGiB + 5 * kMiB},
      {"reads fail past 1000 MiB", "failreads", 4 * kGiB, 1000 * kMiB},
      {"chain 16 GiB, 5 GiB real", "chain", 16 * kGiB, 5 * kGiB},
      {"cache 32 MiB, wrap", "wrap", 16 * kGiB, kGiB, cache(32 * kMiB)},
      {"cache 32 MiB, drop", "drop", 4 * kGiB, 1536 * kMiB, cache(32 * kMiB)},
      {"cache 128 MiB, wrap", "wrap", 16 * kGiB, 15 * kGiB / 2, cache(128 * kMiB)},
      {"cache 128 MiB, drop", "drop", 4 * kGiB, 1536 * kMiB, cache(128 * kMiB)},
      {"cache 512 MiB, wrap", "wrap", 16 * kGiB, 2 * kGiB, cache(512 * kMiB)},
      {"cache 512 MiB, drop", "drop", 8 * kGiB, 3 * kGiB, cache(512 * kMiB)},
      {"slow, drop", "drop", 2 * kGiB, 768 * kMiB, {"--delay-us", "300"}},
      {"dies after 300 ms", "genuine", 4 * kGiB, 4 * kGiB, {"--fail-after-ms", "300"}, true},
  };
  for (auto _ : state) {
    std::printf("\n%-26s | %-24s %5s %8s | %-24s %5s %8s | %6s\n", "kind", "Tessaro", "exact", "s",
                "f3probe", "exact", "s", "ratio");
    double tessaroTotal = 0, f3Total = 0;
    int tessaroExact = 0, f3Exact = 0, overBudget = 0, rows = 0;
    for (const Kind& kind : kinds) {
      const auto ours = onFreshFake(kind, tessaroOn);
      if (!ours) continue;
      const auto theirs = haveF3 ? onFreshFake(kind, f3probeOn) : std::nullopt;
      const bool oursExact = exact(kind, *ours);
      const bool theirsExact = theirs && exact(kind, *theirs);
      const auto shown = [](const Answer& answer) {
        return answer.usable && answer.verdict == "counterfeit"
                   ? QString("%1 %2 MiB").arg(answer.verdict).arg(*answer.usable / kMiB)
                   : answer.verdict;
      };
      ++rows;
      tessaroExact += oursExact;
      tessaroTotal += ours->seconds;
      if (theirs) {
        f3Exact += theirsExact;
        f3Total += theirs->seconds;
        if (theirsExact && ours->seconds > theirs->seconds + 0.25) ++overBudget;
      }
      std::printf("%-26s | %-24s %5s %8.2f | %-24s %5s %8.2f | %6.2f\n", kind.name,
                  qPrintable(shown(*ours)), oursExact ? "yes" : "NO", ours->seconds,
                  theirs ? qPrintable(shown(*theirs)) : "-",
                  theirs ? (theirsExact ? "yes" : "NO") : "-", theirs ? theirs->seconds : 0.0,
                  theirs ? ours->seconds / theirs->seconds : 0.0);
      std::fflush(stdout);
    }
    std::printf(
        "Tessaro exact on %d of %d kinds, f3probe on %d; over all kinds %.1f s against "
        "%.1f s (%.2fx); kinds where f3probe is right and Tessaro takes more than its "
        "time + 0.25 s: %d\n",
        tessaroExact, rows, f3Exact, tessaroTotal, f3Total,
        f3Total > 0 ? tessaroTotal / f3Total : 0.0, overBudget);
    state.counters["tessaro_exact"] = tessaroExact;
    state.counters["f3probe_exact"] = f3Exact;
    state.counters["tessaro_s"] = tessaroTotal;
    state.counters["f3probe_s"] = f3Total;
    state.counters["tessaro_vs_f3probe"] = f3Total > 0 ? tessaroTotal / f3Total : 0.0;
    state.counters["over_f3probe_plus_quarter_s"] = overBudget;
  }
}
BENCHMARK(BM_ProbeFakeDrivesAgainstF3probe)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// A probe target that passes everything on and keeps what was asked of it.
class RecordingTarget : public ProbeTarget {
 public:
  struct Transfer {
    bool write;
    quint64 offset;
    quint64 bytes;
  };
  explicit RecordingTarget(ProbeTarget& inner) : inner_(inner) {}
  quint64 sizeBytes() const override { return inner_.sizeBytes(); }
  Outcome write(quint64 offset, std::span<const char> data) override {
    transfers.push_back({true, offset, data.size()});
    return inner_.write(offset, data);
  }
  Outcome read(quint64 offset, std::span<char> data) override {
    transfers.push_back({false, offset, data.size()});
    return inner_.read(offset, data);
  }
  void flush() override {
    transfers.push_back({true, 0, 0});
    inner_.flush();
  }
  std::vector<Transfer> transfers;

 private:
  ProbeTarget& inner_;
};

int openDevice(const QString& device) {
  return ::open(device.toLocal8Bit().constData(), O_RDWR | O_DIRECT | O_EXCL | O_CLOEXEC);
}

// The same transfers with O_DIRECT from one buffer; a write of 0 bytes is a flush.
double replay(int fd, const std::vector<RecordingTarget::Transfer>& transfers) {
  quint64 largest = 4096;
  for (const auto& transfer : transfers) largest = std::max(largest, transfer.bytes);
  std::unique_ptr<char, void (*)(void*)> buffer(
      static_cast<char*>(std::aligned_alloc(4096, largest)), std::free);
  for (quint64 i = 0; i < largest; ++i) buffer.get()[i] = char(i * 131);
  QElapsedTimer clock;
  clock.start();
  for (const auto& transfer : transfers) {
    if (transfer.write && transfer.bytes == 0) {
      ::fdatasync(fd);
    } else if (transfer.write) {
      if (::pwrite(fd, buffer.get(), transfer.bytes, off_t(transfer.offset)) < 0) return -1;
    } else {
      if (::pread(fd, buffer.get(), transfer.bytes, off_t(transfer.offset)) < 0) return -1;
    }
  }
  return double(clock.nsecsElapsed()) / 1e9;
}

// Runs work on the device of a fresh blank image; its seconds, or -1.
template <typename Work>
double onFreshImage(qint64 bytes, Work work) {
  test::LoopDisk image({.bytes = bytes, .blank = true});
  const int fd = image.ready() ? openDevice(image.devicePath()) : -1;
  if (fd < 0) return -1;
  QElapsedTimer clock;
  clock.start();
  work(fd, image.devicePath());
  const double seconds = double(clock.nsecsElapsed()) / 1e9;
  ::close(fd);
  return seconds;
}

void BM_ProbeAgainstPlainODirect(benchmark::State& state) {
  if (geteuid() != 0) {
    state.SkipWithError("needs root for loop devices");
    return;
  }
  constexpr qint64 kClaimed = 16 * kGiB;
  std::vector<RecordingTarget::Transfer> transfers;
  quint64 moved = 0;
  const auto probe = [&](int fd, const QString& path) {
    LinuxProbeDevice device(fd, path);
    RecordingTarget recording(device);
    const ProbeResult result = CapacityProbe(recording).run();
    moved = result.bytesWritten + result.bytesRead;
    transfers = std::move(recording.transfers);
  };
  // What the probe asks of the drive, recorded once; the runs below alternate
  // which goes first, as the page cache of the images' file system carries
  // over from one run to the next.
  if (onFreshImage(kClaimed, probe) < 0) {
    state.SkipWithError("no loop device");
    return;
  }
  const auto recorded = transfers;
  double probeSeconds = 0, plainSeconds = 0;
  int round = 0;
  for (auto _ : state) {
    const auto plain = [&] {
      plainSeconds += onFreshImage(kClaimed, [&](int fd, const QString&) { replay(fd, recorded); });
    };
    if (round++ % 2) plain();
    probeSeconds += onFreshImage(kClaimed, probe);
    if (round % 2) plain();
  }
  state.counters["MiB_moved"] = double(moved) / double(kMiB);
  state.counters["probe_s"] = probeSeconds / double(state.iterations());
  state.counters["plain_O_DIRECT_s"] = plainSeconds / double(state.iterations());
  state.counters["probe_vs_plain_O_DIRECT"] = probeSeconds / plainSeconds;
}
BENCHMARK(BM_ProbeAgainstPlainODirect)->Iterations(4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
