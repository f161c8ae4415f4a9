// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What a format and a check cost against the system's tools typed by hand,
// interleaved in one run on loop devices over sparse images of 1 GiB and
// 8 GiB, fresh (all zeros) and already formatted:
//   format: the helper of this build, read-back included, against the bare
//           chain wipefs -a; sfdisk (one type-c partition at 1 MiB);
//           partx -u; mkfs.fat -F 32;
//   check:  the helper's check against fsck.fat -a -w -v alone.
// (The format's read-back is fsck.fat -n -v and three reads from the disk
// the helper holds: it costs what that fsck.fat run costs.)
// Prints, per case, the minimum and median of the per-round ratios
// (helper / tools). Goals: format median <= 0.5, check median <= 1.05.
// Needs root (loop devices); says so and ends otherwise.
// Usage: FormatBench [ROUNDS]  (default 9)
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString output(const QString& program, const QStringList& args) {
  QProcess process;
  process.start(program, args);
  process.waitForFinished(120000);
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Seconds the program took to its end; -1 when it failed. Standard input
// stays open (the helper reads a cancel from it), output is drained.
double timed(const QString& program, const QStringList& args, const QByteArray& input = {}) {
  QElapsedTimer clock;
  clock.start();
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, args);
  if (!input.isEmpty()) {
    process.write(input);
    process.closeWriteChannel();
  }
  if (!process.waitForFinished(300000)) return -1;
  const double seconds = double(clock.nsecsElapsed()) / 1e9;
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    std::fprintf(stderr, "%s %s failed (%d): %s\n", qPrintable(program), qPrintable(args.join(' ')),
                 process.exitCode(), process.readAll().right(400).constData());
    return -1;
  }
  return seconds;
}

// A sparse image of bytes on a loop device of its own, made fresh (all zeros)
// on reset().
class Disk {
 public:
  explicit Disk(qint64 bytes) : bytes_(bytes) { reset(); }
  ~Disk() { detach(); }

  void reset() {
    detach();
    QFile::remove(image_);
    QFile file(image_);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(bytes_)) return;
    file.close();
    device_ = output("losetup", {"--find", "--show", "--partscan", image_});
  }
  const QString& device() const { return device_; }
  QString name() const { return device_.mid(5); }
  QString partition() const { return device_ + "p1"; }

 private:
  void detach() {
    if (!device_.isEmpty() &&
        output("losetup", {"--noheadings", "--output", "BACK-FILE", device_}).endsWith(image_)) {
      output("losetup", {"--detach", device_});
    }
    device_.clear();
  }

  QTemporaryDir dir_;
  QString image_ = dir_.filePath("disk.img");
  qint64 bytes_;
  QString device_;
};

double helperFormat(const Disk& disk) {
  return timed(TESSARO_HELPER_BUILD_PATH, {"format", disk.name(), "BENCH", "default"});
}

double bareChain(const Disk& disk) {
  const double steps[] = {
      timed("wipefs", {"-a", disk.device()}),
      timed("sfdisk", {disk.device()}, "label: dos\nstart=2048, type=c\n"),
      timed("partx", {"-u", disk.device()}),
      timed("mkfs.fat", {"-F", "32", "-n", "BENCH", disk.partition()}),
  };
  double total = 0;
  for (const double step : steps) {
    if (step < 0) return -1;
    total += step;
  }
  return total;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Ratios {
  std::vector<double> values, ours, theirs;
  void add(double oursSeconds, double theirsSeconds) {
    if (oursSeconds <= 0 || theirsSeconds <= 0) return;
    values.push_back(oursSeconds / theirsSeconds);
    ours.push_back(oursSeconds);
    theirs.push_back(theirsSeconds);
  }
  void print(const char* what) {
    if (values.empty()) {
      std::printf("%-36s  no valid round\n", what);
      return;
    }
    std::printf("%-36s  min %.2fx  median %.2fx  (median %4.0f ms vs %4.0f ms, %zu rounds)\n", what,
                *std::min_element(values.begin(), values.end()), median(values),
                median(ours) * 1000, median(theirs) * 1000, values.size());
  }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (geteuid() != 0) {
    std::printf("FormatBench needs root for loop devices; nothing measured.\n");
    return 0;
  }
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
  for (const qint64 gib : {1, 8}) {
    Disk disk(gib << 30);
    if (disk.device().isEmpty()) {
      std::printf("no loop device for %lld GiB\n", static_cast<long long>(gib));
      continue;
    }
    Ratios fresh, formatted, check;
    for (int round = 0; round < rounds; ++round) {
      // Fresh: a blank image for each; alternately first, so that neither
      // side always meets a warm cache.
      const bool oursFirst = round % 2 == 0;
      double ours = 0, theirs = 0;
      disk.reset();
      if (oursFirst)
        ours = helperFormat(disk);
      else
        theirs = bareChain(disk);
      disk.reset();
      if (oursFirst)
        theirs = bareChain(disk);
      else
        ours = helperFormat(disk);
      fresh.add(ours, theirs);
      // Already formatted (by the run before).
      if (oursFirst) {
        ours = helperFormat(disk);
        theirs = bareChain(disk);
      } else {
        theirs = bareChain(disk);
        ours = helperFormat(disk);
      }
      formatted.add(ours, theirs);
      const QStringList fsck{"-a", "-w", "-v", disk.partition()};
      if (oursFirst) {
        ours = timed(TESSARO_HELPER_BUILD_PATH, {"check", disk.partition().mid(5)});
        theirs = timed("fsck.fat", fsck);
      } else {
        theirs = timed("fsck.fat", fsck);
        ours = timed(TESSARO_HELPER_BUILD_PATH, {"check", disk.partition().mid(5)});
      }
      check.add(ours, theirs);
    }
    const QByteArray size = QByteArray::number(gib) + " GiB";
    fresh.print("format, " + size + ", fresh");
    formatted.print("format, " + size + ", already formatted");
    check.print("check, " + size + " vs fsck.fat alone");
  }
  return 0;
}
