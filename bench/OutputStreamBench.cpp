// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// A tool that prints 100 MB in 1,000,000 lines (ASCII and multi-byte UTF-8,
// lines of 0 to 10,000 bytes), shown in the window's log through the runner,
// against a plain QProcess + QPlainTextEdit program fed by the same tool.
// Each side runs in a process of its own so that its peak memory is its own.
// Reported: the longest time the event loop did not turn, peak resident
// memory and total time of each side, and over the rounds (the two sides
// interleaved) the minimum and median of the ratios of ours to the plain
// program, with the load average before and after.
//
//   OutputStreamBench                 3 rounds of both sides and the ratios
//   OutputStreamBench --rounds N      N rounds
//   OutputStreamBench --lines N       a smaller stream (N lines)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStringDecoder>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <memory>

#include "BenchRounds.h"
#include "drives/DiskManager.h"
#include "drives/linux/LinuxDiskTools.h"
#include "exec/ProcessRunner.h"
#include "ui/ContentView.h"
#include "ui/LogView.h"

namespace {

constexpr qint64 kDefaultLines = 1'000'000;

// The tool: writes the stream to standard output in large blocks.
int generate(qint64 lineCount) {
  static const char* const pieces[] = {"mkfs.fat ",
                                       "cluster ",
                                       "Gr\xC3\xBC\xC3\x9F"
                                       "e ",
                                       "\xE2\x9C\x94 ",
                                       "\xF0\x9F\x9A\xAB ",
                                       "\xE6\x97\xA5\xE6\x9C\xAC ",
                                       "0x00000052 ",
                                       "caf\xC3\xA9 "};
  quint32 seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  QByteArray block;
  block.reserve(1 << 20);
  for (qint64 i = 0; i < lineCount; ++i) {
    // Mostly short lines; one in a hundred up to 10,000 bytes: about 100 bytes a line.
    const quint32 length = next() % 100 == 0 ? next() % 10'001 : next() % 101;
    QByteArray line;
    while (quint32(line.size()) < length) line += pieces[next() % 8];
    // Cut back to whole characters within the length.
    while (quint32(line.size()) > length) {
      line.chop(1);
      while (!line.isEmpty() && (quint8(line.back()) & 0xC0) == 0x80) line.chop(1);
      if (!line.isEmpty() && quint8(line.back()) >= 0xC0) line.chop(1);
    }
    block += line;
    block += '\n';
    if (block.size() > (1 << 20) - 12'000) {
      fwrite(block.constData(), 1, size_t(block.size()), stdout);
      block.clear();
    }
  }
  fwrite(block.constData(), 1, size_t(block.size()), stdout);
  fflush(stdout);
  return 0;
}

qint64 peakRssKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
  }
  return -1;
}

qint64 threadCpuNs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Notes the longest gap between turns of the event loop, in wall time and in
// the main thread's own processor time (which leaves out the time a busy,
// shared machine gives to other processes).
class StallMeter : public QObject {
 public:
  StallMeter() {
    timer_.setInterval(1);
    connect(&timer_, &QTimer::timeout, this, [this] {
      const qint64 now = clock_.nsecsElapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
      const qint64 cpuNow = threadCpuNs();
      longestCpu_ = std::max(longestCpu_, cpuNow - lastCpu_);
      lastCpu_ = cpuNow;
    });
    clock_.start();
    lastCpu_ = threadCpuNs();
    timer_.start();
  }
  double longestMs() const { return double(longest_) / 1e6; }
  double longestCpuMs() const { return double(longestCpu_) / 1e6; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
  qint64 lastCpu_ = 0;
  qint64 longestCpu_ = 0;
};

struct Measured {
  double stallMs = 0;
  double stallCpuMs = 0;
  double totalMs = 0;
  qint64 rssKb = 0;
  qint64 lines = 0;
};

void print(const char* side, const Measured& m) {
  std::printf("%s stall_ms=%.1f stall_cpu_ms=%.1f total_ms=%.0f peak_rss_kb=%lld lines=%lld\n",
              side, m.stallMs, m.stallCpuMs, m.totalMs, static_cast<long long>(m.rssKb),
              static_cast<long long>(m.lines));
  std::fflush(stdout);
}

QStringList toolCommand(qint64 lines) {
  return {QCoreApplication::applicationFilePath(), QStringLiteral("--generate"),
          QString::number(lines)};
}

int runBaseline(qint64 lines) {
  QPlainTextEdit edit;
  edit.resize(900, 400);
  edit.setReadOnly(true);
  edit.show();
  QApplication::processEvents();
  StallMeter meter;
  QElapsedTimer total;
  total.start();
  QProcess process;
  QStringDecoder decoder(QStringConverter::Utf8);
  QObject::connect(&process, &QProcess::readyReadStandardOutput, &edit, [&] {
    edit.moveCursor(QTextCursor::End);
    edit.insertPlainText(decoder.decode(process.readAllStandardOutput()));
  });
  QObject::connect(&process, &QProcess::finished, &edit, [] { QApplication::quit(); });
  const QStringList command = toolCommand(lines);
  process.start(command.first(), command.mid(1));
  QApplication::exec();
  edit.moveCursor(QTextCursor::End);
  edit.insertPlainText(decoder.decode(process.readAllStandardOutput()));
  QApplication::processEvents();
  Measured m{meter.longestMs(), meter.longestCpuMs(), double(total.nsecsElapsed()) / 1e6,
             peakRssKb(), edit.document()->blockCount()};
  print("baseline", m);
  return 0;
}

int runOurs(qint64 lines) {
  auto tools = std::make_unique<tessaro::LinuxDiskTools>("/nonexistent/lsblk", "/nonexistent");
  tessaro::ContentView view(std::make_unique<tessaro::DiskManager>(std::move(tools)));
  view.resize(900, 640);
  view.show();
  while (view.isBusy()) QApplication::processEvents();
  QApplication::processEvents();
  auto* log = view.findChild<tessaro::LogView*>();
  view.setStatusLog(QStringLiteral("Starting"));

  StallMeter meter;
  QElapsedTimer total;
  total.start();
  // As root the runner starts the tool itself, as it starts the helper.
  const QStringList command = toolCommand(lines);
  auto stream = [&]() -> QCoro::Task<> {
    co_await tessaro::ProcessRunner::shared().run(
        command.first(), command.mid(1),
        {[&view](const QStringList& batch) { view.appendLogLines(batch); }, {}});
  };
  bool ran = false;
  auto runAndQuit = [&]() -> QCoro::Task<> {
    co_await stream();
    ran = true;
  };
  auto task = runAndQuit();
  while (!ran || log->hasPending() || view.hasPendingLines())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  Measured m{meter.longestMs(), meter.longestCpuMs(), double(total.nsecsElapsed()) / 1e6,
             peakRssKb(), view.log().totalLines() - 1};
  print("ours", m);
  return 0;
}

Measured readSide(const QByteArray& output, const char* side) {
  Measured m;
  for (const QByteArray& line : output.split('\n')) {
    if (!line.startsWith(side)) continue;
    for (const QByteArray& field : line.split(' ')) {
      const auto pair = field.split('=');
      if (pair.size() != 2) continue;
      if (pair[0] == "stall_ms") m.stallMs = pair[1].toDouble();
      if (pair[0] == "stall_cpu_ms") m.stallCpuMs = pair[1].toDouble();
      if (pair[0] == "total_ms") m.totalMs = pair[1].toDouble();
      if (pair[0] == "peak_rss_kb") m.rssKb = pair[1].toLongLong();
      if (pair[0] == "lines") m.lines = pair[1].toLongLong();
    }
  }
  return m;
}

Measured runSide(const char* side, qint64 lines) {
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--side"), QString::fromLatin1(side), QStringLiteral("--lines"),
                 QString::number(lines)});
  process.waitForFinished(-1);
  const QByteArray output = process.readAllStandardOutput();
  std::fputs(output.constData(), stdout);
  return readSide(output, side);
}

int compare(qint64 lines, int rounds) {
  bench::printLoad("before");
  bench::Ratios time, memory, stall, stallCpu, longest;
  for (int round = 0; round < rounds; ++round) {
    Measured base, ours;
    if (round % 2 == 0) {
      base = runSide("baseline", lines);
      ours = runSide("ours", lines);
    } else {
      ours = runSide("ours", lines);
      base = runSide("baseline", lines);
    }
    time.add(ours.totalMs, base.totalMs);
    memory.add(double(ours.rssKb), double(base.rssKb));
    stall.add(ours.stallMs, base.stallMs);
    stallCpu.add(ours.stallCpuMs, base.stallCpuMs);
  }
  std::printf("ratios, ours / QProcess + QPlainTextEdit:\n");
  time.print("total time", 1);
  memory.print("peak RSS", 1.0 / 1024, "MB");
  stall.print("longest stall of the event loop", 1);
  stallCpu.print("longest stall, main thread's processor time", 1);
  std::printf("goals: total time <= 0.3x, peak RSS <= 0.4x, stall <= 50 ms\n");
  bench::printLoad("after");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const QStringList args = [&] {
    QStringList list;
    for (int i = 1; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
    return list;
  }();
  qint64 lines = kDefaultLines;
  if (const qsizetype at = args.indexOf(QStringLiteral("--lines")); at >= 0 && at + 1 < args.size())
    lines = args[at + 1].toLongLong();
  int rounds = 3;
  if (const qsizetype at = args.indexOf(QStringLiteral("--rounds"));
      at >= 0 && at + 1 < args.size())
    rounds = std::max(1, args[at + 1].toInt());
  if (args.value(0) == QStringLiteral("--generate")) return generate(args.value(1).toLongLong());

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (const qsizetype at = args.indexOf(QStringLiteral("--side")); at >= 0) {
    return args.value(at + 1) == QStringLiteral("ours") ? runOurs(lines) : runBaseline(lines);
  }
  return compare(lines, rounds);
}
