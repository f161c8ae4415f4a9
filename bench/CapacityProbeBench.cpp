// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What a capacity test costs and whether it is right, side by side with
// f3probe (f3, the reference tool for counterfeit flash) where it is
// installed. Each kind of the tests' fake drive (tests/fakes/FakeDriveShape.h) is
// made afresh for each tool and attached to a loop device; Tessaro runs as the
// application runs it, `tessaro-helper probe NAME` (its start included),
// f3probe as `f3probe --destructive DEVICE`. Prints per kind each tool's
// verdict, whether it is right, its time, what it wrote (as the loop device
// counts it) and the ratio of the times; then the full test on a few kinds.
//
// Then the full test's throughput against the plainest program that writes
// and reads back every block with O_DIRECT (bench/plain), on the same fake,
// and the quick probe's own cost against a plain replay of its I/O.
//
// Needs root (loop devices, FUSE); skips itself otherwise.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "CounterfeitDrive.h"
#include "LoopDisk.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "helper/probe/CapacityProbe.h"
#include "helper/probe/LinuxProbeDevice.h"

using namespace tessaro;

namespace {

constexpr qint64 kMiB = qint64(1) << 20;
constexpr qint64 kGiB = qint64(1) << 30;

// What a kind must be told.
struct Expected {
  const char* verdict;  // genuine, counterfeit, damaged, failed
  qint64 at = 0;        // counterfeit: usable; damaged: the band's start; failed: after
  qint64 until = 0;     // damaged: the band's end
  // A cache past what the quick test looks for: a genuine verdict is right
  // when it says what it ruled out.
  bool namesWhatItRuledOut = false;
  // What f3probe says when it is right: its own word for the same drive.
  const char* f3 = nullptr;
};

struct Kind {
  const char* name;
  const char* mode;
  qint64 claimed;
  qint64 real;
  QStringList options;
  Expected expected;
};

// What a tool said about a drive.
struct Answer {
  QString verdict;  // genuine, counterfeit, damaged, failed, or what went wrong
  std::optional<ProbeResult> result;
  std::optional<qint64> usable;  // f3probe
  double seconds = 0;
  qint64 written = 0;
};

QStringList bytesOption(const char* option, qint64 bytes) {
  return {option, QString::number(bytes)};
}

qint64 sectorsWritten(const QString& device) {
  QFile stat("/sys/block/" + device.mid(5) + "/stat");
  if (!stat.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = stat.readAll().simplified().split(' ');
  return fields.size() > 6 ? fields[6].toLongLong() : 0;
}

bool right(const Kind& kind, const Answer& answer, bool ours) {
  const Expected& expected = kind.expected;
  if (!ours) {
    const QString word = expected.f3 ? expected.f3 : expected.verdict;
    if (answer.verdict != word) return false;
    return word != "counterfeit" || answer.usable == kind.real / 4096 * 4096;
  }
  if (expected.namesWhatItRuledOut && answer.verdict == "genuine")
    return answer.result && answer.result->cacheRuledOutBytes.value_or(0) >= 2 * kGiB;
  if (answer.verdict != expected.verdict || !answer.result)
    return answer.verdict == expected.verdict;
  const ProbeResult& result = *answer.result;
  switch (result.verdict) {
    case ProbeResult::Verdict::counterfeit:
      return qint64(result.usableBytes) == expected.at / 4096 * 4096;
    case ProbeResult::Verdict::damaged:
      return !result.badRegions.empty() && qint64(result.badRegions.front().begin) == expected.at &&
             qint64(result.badRegions.front().end) == expected.until;
    case ProbeResult::Verdict::failed:
      return std::abs(qint64(result.failedAfterBytes.value_or(0)) - expected.at) <= 4 * kMiB;
    case ProbeResult::Verdict::genuine:
      return true;
  }
  return false;
}

Answer tessaroOn(const QString& device, const QStringList& mode) {
  QProcess helper;
  QElapsedTimer clock;
  clock.start();
  // Its standard input stays open, as the application keeps it.
  helper.start(TESSARO_HELPER_BUILD_PATH, QStringList{"probe", device.mid(5)} + mode);
  helper.waitForFinished(-1);
  Answer answer;
  answer.seconds = double(clock.nsecsElapsed()) / 1e9;
  for (const QByteArray& line : helper.readAllStandardOutput().split('\n')) {
    const auto event = contract::HelperEvent::fromLine(line.toStdString());
    if (!event || !event->isResult()) continue;
    const auto* told = event->get<contract::ProbeResult>();
    answer.result = told ? std::optional(ProbeResult::fromWire(*told)) : std::nullopt;
  }
  if (answer.result) {
    const char* names[] = {"genuine", "counterfeit", "damaged", "failed"};
    answer.verdict = names[int(answer.result->verdict)];
  } else if (helper.exitCode() == HelperContract::driveStopped) {
    answer.verdict = "failed";
  } else {
    answer.verdict = QString("status %1").arg(helper.exitCode());
  }
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
  static const QRegularExpression order(R"(Physical block size: .*\(2\^(\d+) Bytes\))");
  const auto blocks = usable.match(said);
  const auto size = order.match(said);
  if (blocks.hasMatch()) {
    answer.usable = blocks.captured(1).toLongLong() *
                    (size.hasMatch() ? qint64(1) << size.captured(1).toInt() : 512);
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
  const qint64 before = sectorsWritten(fake.device());
  Answer answer = tool(fake.device());
  answer.written = (sectorsWritten(fake.device()) - before) * 512;
  return answer;
}

QString shown(const Answer& answer) {
  if (answer.verdict == "counterfeit") {
    const qint64 usable =
        answer.result ? qint64(answer.result->usableBytes) : answer.usable.value_or(0);
    return QString("counterfeit %1 MiB").arg(double(usable) / double(kMiB), 0, 'f', 1);
  }
  if (answer.verdict == "genuine" && answer.result && answer.result->cacheRuledOutBytes)
    return QString("genuine, <=%1 MiB").arg(*answer.result->cacheRuledOutBytes / kMiB);
  if (answer.verdict == "damaged" && answer.result && !answer.result->badRegions.empty())
    return QString("damaged %1+%2 MiB")
        .arg(double(answer.result->badRegions.front().begin) / double(kMiB), 0, 'f', 1)
        .arg(double(answer.result->badRegions.front().end -
                    answer.result->badRegions.front().begin) /
                 double(kMiB),
             0, 'f', 2);
  if (answer.verdict == "failed" && answer.result)
    return QString("failed %1 MiB")
        .arg(double(answer.result->failedAfterBytes.value_or(0)) / double(kMiB), 0, 'f', 1);
  return answer.verdict;
}

std::vector<Kind> quickKinds() {
  const auto cache = [](qint64 bytes) { return bytesOption("--cache", bytes); };
  const auto f3Damaged = "damaged";
  return {
      {"genuine 16 GiB", "genuine", 16 * kGiB, 16 * kGiB, {}, {"genuine"}},
      {"genuine 2 TiB", "genuine", 2048 * kGiB, 2048 * kGiB, {}, {"genuine"}},
      {"wrap 16 GiB at 1 GiB", "wrap", 16 * kGiB, kGiB, {}, {"counterfeit", kGiB}},
      {"wrap 16 GiB at 7.5 GiB",
       "wrap",
       16 * kGiB,
       15 * kGiB / 2,
       {},
       {"counterfeit", 15 * kGiB / 2}},
      {"wrap 4 GiB at 700 MiB",
       "wrap",
       4 * kGiB,
       700 * kMiB + 12288,
       {},
       {"counterfeit", 700 * kMiB + 12288}},
      {"drop 4 GiB at 1.5 GiB", "drop", 4 * kGiB, 1536 * kMiB, {}, {"counterfeit", 1536 * kMiB}},
      {"drop 3 TiB at 2 TiB",
       "drop",
       3072 * kGiB,
       2048 * kGiB + 5 * kMiB,
       {},
       {"counterfeit", 2048 * kGiB + 5 * kMiB}},
      {"reads fail past 1000 MiB",
       "failreads",
       4 * kGiB,
       1000 * kMiB,
       {},
       {"counterfeit", 1000 * kMiB}},
      {"I/O fails past 1000 MiB",
       "failio",
       4 * kGiB,
       1000 * kMiB,
       {},
       {"counterfeit", 1000 * kMiB}},
      {"chain 16 GiB, 5 GiB real", "chain", 16 * kGiB, 5 * kGiB, {}, {"counterfeit", 5 * kGiB}},
      {"cache 32 MiB, wrap", "wrap", 16 * kGiB, kGiB, cache(32 * kMiB), {"counterfeit", kGiB}},
      {"cache 32 MiB, drop",
       "drop",
       4 * kGiB,
       1536 * kMiB,
       cache(32 * kMiB),
       {"counterfeit", 1536 * kMiB}},
      {"cache 128 MiB, wrap",
       "wrap",
       16 * kGiB,
       15 * kGiB / 2,
       cache(128 * kMiB),
       {"counterfeit", 15 * kGiB / 2}},
      {"cache 128 MiB, drop",
       "drop",
       4 * kGiB,
       1536 * kMiB,
       cache(128 * kMiB),
       {"counterfeit", 1536 * kMiB}},
      {"cache 512 MiB, wrap",
       "wrap",
       16 * kGiB,
       2 * kGiB,
       cache(512 * kMiB),
       {"counterfeit", 2 * kGiB}},
      {"cache 512 MiB, drop",
       "drop",
       8 * kGiB,
       3 * kGiB,
       cache(512 * kMiB),
       {"counterfeit", 3 * kGiB}},
      {"cache 1 GiB, wrap", "wrap", 32 * kGiB, 4 * kGiB, cache(kGiB), {"counterfeit", 4 * kGiB}},
      {"cache 1 GiB, drop", "drop", 32 * kGiB, 4 * kGiB, cache(kGiB), {"counterfeit", 4 * kGiB}},
      {"cache 2 GiB, wrap",
       "wrap",
       32 * kGiB,
       4 * kGiB,
       cache(2 * kGiB),
       {"counterfeit", 4 * kGiB}},
      {"cache 2 GiB, drop",
       "drop",
       32 * kGiB,
       4 * kGiB,
       cache(2 * kGiB),
       {"counterfeit", 4 * kGiB}},
      {"cache 4 GiB, drop",
       "drop",
       32 * kGiB,
       4 * kGiB,
       cache(4 * kGiB),
       {"counterfeit", 4 * kGiB, 0, true}},
      {"slow, drop",
       "drop",
       2 * kGiB,
       768 * kMiB,
       {"--delay-us", "300"},
       {"counterfeit", 768 * kMiB}},
      {"dies after 300 ms",
       "genuine",
       4 * kGiB,
       4 * kGiB,
       {"--fail-after-ms", "300"},
       {"failed", 0, 0, false, f3Damaged}},
      {"drops writes after 64 MiB",
       "genuine",
       16 * kGiB,
       16 * kGiB,
       bytesOption("--drop-after", 64 * kMiB),
       {"failed", 64 * kMiB, 0, false, f3Damaged}},
      {"read-only after 64 MiB",
       "genuine",
       16 * kGiB,
       16 * kGiB,
       bytesOption("--readonly-after", 64 * kMiB),
       {"failed", 64 * kMiB, 0, false, f3Damaged}},
      {"EROFS after 64 MiB",
       "genuine",
       16 * kGiB,
       16 * kGiB,
       bytesOption("--erofs-after", 64 * kMiB),
       {"failed", 64 * kMiB, 0, false, f3Damaged}},
      {"bad band 64 MiB at 5 GiB",
       "genuine",
       16 * kGiB,
       16 * kGiB,
       {"--flip-band", QString::number(5 * kGiB), QString::number(64 * kMiB)},
       {"damaged", 5 * kGiB, 5 * kGiB + 64 * kMiB, false, f3Damaged}},
      {"bad band 1 MiB at 5 GiB",
       "genuine",
       16 * kGiB,
       16 * kGiB,
       {"--flip-band", QString::number(5 * kGiB), QString::number(kMiB)},
       {"damaged", 5 * kGiB, 5 * kGiB + kMiB, false, f3Damaged}},
  };
}

void BM_ProbeFakeDrivesAgainstF3probe(benchmark::State& state) {
  if (geteuid() != 0 || !QFileInfo::exists("/dev/fuse")) {
    state.SkipWithError("needs root for loop devices and /dev/fuse");
    return;
  }
  const bool haveF3 = QProcess::execute("sh", {"-c", "command -v f3probe >/dev/null"}) == 0;
  const std::vector<Kind> kinds = quickKinds();
  for (auto _ : state) {
    std::printf("\n%-26s | %-26s %5s %8s %9s | %-26s %5s %8s %9s | %6s\n", "kind", "Tessaro",
                "right", "s", "MiB", "f3probe", "right", "s", "MiB", "ratio");
    double tessaroTotal = 0, f3Total = 0;
    int tessaroRight = 0, f3Right = 0, overBudget = 0, rows = 0, writtenMore = 0;
    for (const Kind& kind : kinds) {
      const auto ours =
          onFreshFake(kind, [](const QString& device) { return tessaroOn(device, {}); });
      if (!ours) continue;
      const auto theirs = haveF3 ? onFreshFake(kind, f3probeOn) : std::nullopt;
      const bool oursRight = right(kind, *ours, true);
      const bool theirsRight = theirs && right(kind, *theirs, false);
      ++rows;
      tessaroRight += oursRight;
      tessaroTotal += ours->seconds;
      if (theirs) {
        f3Right += theirsRight;
        f3Total += theirs->seconds;
        if (theirsRight && ours->seconds > theirs->seconds + 0.25) ++overBudget;
        if (QLatin1String(kind.mode) == "genuine" && kind.options.isEmpty() &&
            ours->written > theirs->written)
          ++writtenMore;
      }
      std::printf("%-26s | %-26s %5s %8.2f %9.1f | %-26s %5s %8.2f %9.1f | %6.2f\n", kind.name,
                  qPrintable(shown(*ours)), oursRight ? "yes" : "NO", ours->seconds,
                  double(ours->written) / double(kMiB), theirs ? qPrintable(shown(*theirs)) : "-",
                  theirs ? (theirsRight ? "yes" : "NO") : "-", theirs ? theirs->seconds : 0.0,
                  theirs ? double(theirs->written) / double(kMiB) : 0.0,
                  theirs ? ours->seconds / theirs->seconds : 0.0);
      std::fflush(stdout);
    }
    std::printf(
        "Tessaro right on %d of %d kinds, f3probe on %d; over all kinds %.1f s against "
        "%.1f s (%.2fx); kinds where f3probe is right and Tessaro takes more than its "
        "time + 0.25 s: %d; genuine drives where Tessaro wrote more than f3probe: %d\n",
        tessaroRight, rows, f3Right, tessaroTotal, f3Total,
        f3Total > 0 ? tessaroTotal / f3Total : 0.0, overBudget, writtenMore);
    state.counters["tessaro_right"] = tessaroRight;
    state.counters["f3probe_right"] = f3Right;
    state.counters["tessaro_s"] = tessaroTotal;
    state.counters["f3probe_s"] = f3Total;
    state.counters["tessaro_vs_f3probe"] = f3Total > 0 ? tessaroTotal / f3Total : 0.0;
    state.counters["over_f3probe_plus_quarter_s"] = overBudget;
  }
}
BENCHMARK(BM_ProbeFakeDrivesAgainstF3probe)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The full test where the quick one cannot be sure: a cache larger than it
// looks for, a band smaller than its samples' spacing, and a genuine drive.
void BM_FullTestOnWhatTheQuickOneMisses(benchmark::State& state) {
  if (geteuid() != 0 || !QFileInfo::exists("/dev/fuse")) {
    state.SkipWithError("needs root for loop devices and /dev/fuse");
    return;
  }
  const Kind kinds[] = {
      {"genuine 2 GiB", "genuine", 2 * kGiB, 2 * kGiB, {}, {"genuine"}},
      {"cache 4 GiB, drop 8 GiB",
       "drop",
       8 * kGiB,
       2 * kGiB,
       bytesOption("--cache", 4 * kGiB),
       {"counterfeit", 2 * kGiB}},
      {"bad band 1 MiB at 1 GiB",
       "genuine",
       2 * kGiB,
       2 * kGiB,
       {"--flip-band", QString::number(kGiB), QString::number(kMiB)},
       {"damaged", kGiB, kGiB + kMiB}},
      {"drops writes after 64 MiB",
       "genuine",
       2 * kGiB,
       2 * kGiB,
       bytesOption("--drop-after", 64 * kMiB),
       {"failed", 64 * kMiB}},
  };
  for (auto _ : state) {
    int rightCount = 0;
    std::printf("\n%-26s | %-30s %5s %8s\n", "kind (full test)", "Tessaro", "right", "s");
    for (const Kind& kind : kinds) {
      const auto ours =
          onFreshFake(kind, [](const QString& device) { return tessaroOn(device, {"full"}); });
      if (!ours) continue;
      const bool isRight = right(kind, *ours, true);
      rightCount += isRight;
      std::printf("%-26s | %-30s %5s %8.2f\n", kind.name, qPrintable(shown(*ours)),
                  isRight ? "yes" : "NO", ours->seconds);
      std::fflush(stdout);
    }
    state.counters["full_right"] = rightCount;
  }
}
BENCHMARK(BM_FullTestOnWhatTheQuickOneMisses)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// The full test through the helper against the plain program, alternately on
// a fresh genuine fake each, so that both meet the same load.
void BM_FullTestAgainstPlainODirect(benchmark::State& state) {
  if (geteuid() != 0 || !QFileInfo::exists("/dev/fuse")) {
    state.SkipWithError("needs root for loop devices and /dev/fuse");
    return;
  }
  const Kind genuine{"genuine 4 GiB", "genuine", 4 * kGiB, 4 * kGiB, {}, {"genuine"}};
  double fullSeconds = 0, plainSeconds = 0;
  int round = 0;
  for (auto _ : state) {
    const auto plain = [&] {
      const auto answer = onFreshFake(genuine, [](const QString& device) {
        QProcess pass;
        QElapsedTimer clock;
        clock.start();
        pass.start(TESSARO_PLAIN_PASS_PATH, {device});
        pass.waitForFinished(-1);
        Answer answer;
        answer.seconds = double(clock.nsecsElapsed()) / 1e9;
        answer.verdict = pass.exitCode() == 0 ? "done" : "failed";
        return answer;
      });
      if (answer) plainSeconds += answer->seconds;
    };
    if (round++ % 2) plain();
    const auto full =
        onFreshFake(genuine, [](const QString& device) { return tessaroOn(device, {"full"}); });
    if (full) fullSeconds += full->seconds;
    if (round % 2) plain();
  }
  state.counters["full_s"] = fullSeconds / double(state.iterations());
  state.counters["plain_O_DIRECT_s"] = plainSeconds / double(state.iterations());
  state.counters["full_vs_plain_O_DIRECT"] = plainSeconds > 0 ? fullSeconds / plainSeconds : 0.0;
}
BENCHMARK(BM_FullTestAgainstPlainODirect)->Iterations(4)->Unit(benchmark::kSecond)->UseRealTime();

// A probe target that passes everything on and keeps what was asked of it.
class RecordingTarget : public ProbeTarget {
 public:
  struct Transfer {
    bool write;
    quint64 offset;
    quint64 bytes;
  };
  explicit RecordingTarget(ProbeTarget& inner) : inner_(inner) {}
  std::uint64_t sizeBytes() const override { return inner_.sizeBytes(); }
  Outcome write(std::uint64_t offset, std::span<const char> data) override {
    transfers.push_back({true, offset, data.size()});
    return inner_.write(offset, data);
  }
  Outcome read(std::uint64_t offset, std::span<char> data) override {
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
    LinuxProbeDevice device(fd, path.toStdString());
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
