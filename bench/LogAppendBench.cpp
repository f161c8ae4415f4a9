// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Cost of one log line as the window sees it: appendLog, the queued delivery
// into the status log, the log view's update and the repaint, with 0 to
// 1,000,000 lines already written to the log (it keeps the last 100,000).
// The cost has to stay flat. The goal: at most 0.6 ms of processor time a line.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include "BenchRounds.h"
#include "drives/DiskManager.h"
#include "drives/linux/LinuxDiskTools.h"
#include "ui/ContentView.h"

using tessaro::ContentView;

namespace {

std::unique_ptr<ContentView> makeView() {
  // Discovery fails at once (no lsblk there); its start-up refresh is waited
  // out so that it cannot replace the log during a measurement.
  auto tools = std::make_unique<tessaro::LinuxDiskTools>("/nonexistent/lsblk", "/nonexistent");
  auto view =
      std::make_unique<ContentView>(std::make_unique<tessaro::DiskManager>(std::move(tools)));
  view->resize(900, 640);
  view->show();
  while (view->isBusy()) QApplication::processEvents();
  QApplication::processEvents();
  return view;
}

QString linesOfLog(int count) {
  QString text;
  text.reserve(qsizetype(count) * 40);
  for (int i = 0; i < count; ++i) {
    if (i) text += QLatin1Char('\n');
    text += QStringLiteral("mkfs.fat: line %1 of a long format log").arg(i);
  }
  return text;
}

void drain(ContentView& view, qsizetype expectedLines) {
  while (view.log().totalLines() != expectedLines || view.hasPendingLines())
    QApplication::processEvents();
  // The view's update is queued behind the job; run it and the repaint.
  QApplication::processEvents();
  QApplication::processEvents();
}

void BM_AppendOneLine(benchmark::State& state) {
  auto view = makeView();
  view->setStatusLog(linesOfLog(int(state.range(0))));
  drain(*view, view->log().totalLines());
  const QString line = QStringLiteral("Writing FAT copy 1 ... done");
  for (auto _ : state) {
    const qsizetype expected = view->log().totalLines() + 1;
    view->appendLog(line);
    drain(*view, expected);
  }
  state.counters["lines_at_start"] = double(state.range(0));
}
BENCHMARK(BM_AppendOneLine)
    ->Arg(0)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Iterations(5000)
    ->Unit(benchmark::kMicrosecond);

// 100,000 short lines streamed from a worker thread, as a tool's output would
// arrive. Reports the whole time to show them all and the longest single turn
// of the event loop, which is how long the window could not react.
void BM_StreamHundredThousandLines(benchmark::State& state) {
  constexpr int lines = 100'000;
  for (auto _ : state) {
    state.PauseTiming();
    auto view = makeView();
    view->setStatusLog(QStringLiteral("Starting"));
    QApplication::processEvents();
    state.ResumeTiming();

    QElapsedTimer total;
    total.start();
    QThread* worker = QThread::create([&view] {
      for (int i = 0; i < lines; ++i) view->appendLog(QString::number(i));
    });
    worker->start();
    qint64 longestTurnNs = 0;
    bool streaming = true;
    while (streaming || view->log().totalLines() != lines + 1 || view->hasPendingLines()) {
      streaming = !worker->isFinished();
      QElapsedTimer turn;
      turn.start();
      QApplication::processEvents();
      longestTurnNs = std::max(longestTurnNs, turn.nsecsElapsed());
    }
    QApplication::processEvents();
    QApplication::processEvents();
    worker->wait();
    delete worker;
    state.counters["total_ms"] = double(total.nsecsElapsed()) / 1e6;
    state.counters["longest_turn_ms"] = double(longestTurnNs) / 1e6;
  }
}
BENCHMARK(BM_StreamHundredThousandLines)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The library prints the load before the run.
  bench::printLoad("after");
  return 0;
}
