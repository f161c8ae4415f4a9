// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What a format and a check cost, through the helper alone and through
// tessaro-cli as a user types it, against the system's tools typed by hand,
// interleaved in one run on loop devices over sparse images of 1 GiB and
// 8 GiB, fresh (all zeros) and already formatted:
//   format: the helper of this build, read-back included, and
//           tessaro-cli format DEVICE --name BENCH --yes, against the bare
//           chain wipefs -a; sfdisk (one type-c partition at 1 MiB);
//           partx -u; mkfs.fat -F 32;
//   check:  the helper's check and tessaro-cli check DEVICE against
//           fsck.fat -a -w -v alone, on the formatted file system with 4,000
//           files in 40 folders; and the floor of a check through a command
//           line and a helper: a Qt command line that only starts a plain
//           C++ program that only starts fsck.fat (QtCoreHello, tool-starter).
// (The format's read-back is fsck.fat -n -v and three reads from the disk
// the helper holds: it costs what that fsck.fat run costs.)
// Prints, per case, the minimum and median of the per-round ratios
// (Tessaro / tools), and the load average before and after.
// Needs root (loop devices); says so and ends otherwise.
// Usage: FormatBench [ROUNDS]  (default 9)
// The helper and tessaro-cli measured are this build's; TESSARO_BENCH_HELPER
// and TESSARO_BENCH_CLI name others (another build's, for a before and after).
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "BenchRounds.h"

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

QString helperPath() { return bench::program("TESSARO_BENCH_HELPER", TESSARO_HELPER_BUILD_PATH); }
QString cliPath() { return bench::program("TESSARO_BENCH_CLI", TESSARO_CLI_BUILD_PATH); }

// fsck.fat's run with nothing but a Qt command line and a plain C++ program
// in front of it.
double checkFloor(const QStringList& fsck) {
  return timed(
      QStringLiteral(TESSARO_CORE_HELLO_BUILD_PATH),
      QStringList{QStringLiteral(TESSARO_TOOL_STARTER_BUILD_PATH), QStringLiteral("fsck.fat")} +
          fsck);
}

double helperFormat(const Disk& disk) {
  return timed(helperPath(), {"format", disk.name(), "BENCH", "default"});
}

double cliFormat(const Disk& disk) {
  return timed(cliPath(), {"format", disk.name(), "--name", "BENCH", "--yes"});
}

// 4,000 files of 100 bytes to 3 KB in 40 folders, copied onto the disk's file
// system with mtools (no vfat driver needed).
bool addFiles(const Disk& disk) {
  QTemporaryDir dir;
  const QString tree = dir.filePath("tree");
  for (int folder = 0; folder < 40; ++folder) {
    const QString path = tree + QStringLiteral("/folder%1").arg(folder);
    if (!QDir().mkpath(path)) return false;
    for (int file = 0; file < 100; ++file) {
      QFile out(path + QStringLiteral("/file%1.txt").arg(file));
      if (!out.open(QIODevice::WriteOnly)) return false;
      out.write(QByteArray((folder * 100 + file) % 3000 + 100, 'x'));
    }
  }
  return timed("mcopy", {"-s", "-Q", "-i", disk.partition(), tree, "::"}) >= 0;
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

}  // namespace

// Runs each of contenders once, in an order that turns with round, and adds
// each Tessaro side's time against the tools' (the last contender) to its
// ratios.
void race(int round, const std::vector<std::function<double()>>& contenders,
          const std::vector<bench::Ratios*>& ratios) {
  std::vector<double> seconds(contenders.size());
  for (size_t i = 0; i < contenders.size(); ++i) {
    const size_t which = (i + size_t(round)) % contenders.size();
    seconds[which] = contenders[which]();
  }
  for (size_t i = 0; i + 1 < contenders.size(); ++i) ratios[i]->add(seconds[i], seconds.back());
}

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (geteuid() != 0) {
    std::printf("FormatBench needs root for loop devices; nothing measured.\n");
    return 0;
  }
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
  bench::printLoad("before");
  for (const qint64 gib : {1, 8}) {
    Disk disk(gib << 30);
    if (disk.device().isEmpty()) {
      std::printf("no loop device for %lld GiB\n", static_cast<long long>(gib));
      continue;
    }
    bench::Ratios helperFresh, cliFresh, helperFormatted, cliFormatted, helperCheck, cliCheck,
        floorCheck;
    for (int round = 0; round < rounds; ++round) {
      // Fresh: a blank image for each.
      race(round,
           {[&] {
              disk.reset();
              return helperFormat(disk);
            },
            [&] {
              disk.reset();
              return cliFormat(disk);
            },
            [&] {
              disk.reset();
              return bareChain(disk);
            }},
           {&helperFresh, &cliFresh});
      // Already formatted (by the run before).
      race(round,
           {[&] { return helperFormat(disk); }, [&] { return cliFormat(disk); },
            [&] { return bareChain(disk); }},
           {&helperFormatted, &cliFormatted});
    }
    const QByteArray size = QByteArray::number(gib) + " GiB";
    helperFresh.print("format, " + size + ", fresh, helper");
    cliFresh.print("format, " + size + ", fresh, tessaro-cli");
    helperFormatted.print("format, " + size + ", already formatted, helper");
    cliFormatted.print("format, " + size + ", already formatted, tessaro-cli");

    if (helperFormat(disk) < 0 || !addFiles(disk)) {
      std::printf("check, %s: the 4,000 files could not be written\n", size.constData());
      continue;
    }
    const QString partition = disk.partition().mid(5);
    const QStringList fsck{"-a", "-w", "-v", disk.partition()};
    for (int round = 0; round < rounds; ++round) {
      race(round,
           {[&] {
              return timed(helperPath(), {"check", partition});
            },
            [&] {
              return timed(cliPath(), {"check", disk.name()});
            },
            [&] { return checkFloor(fsck); }, [&] { return timed("fsck.fat", fsck); }},
           {&helperCheck, &cliCheck, &floorCheck});
    }
    helperCheck.print("check, " + size + ", 4,000 files, helper");
    cliCheck.print("check, " + size + ", 4,000 files, tessaro-cli");
    floorCheck.print("  (Qt command line and plain program, no work)");
  }
  bench::printLoad("after");
  return 0;
}
