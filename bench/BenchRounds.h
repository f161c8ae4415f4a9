// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What the benchmarks that race Tessaro against a baseline share: programs
// timed as whole processes, ratios per round (the two sides interleaved, so
// that a busy, shared machine weighs on both alike), their minimum and median,
// and the machine's load while they ran.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

extern char** environ;

namespace bench {

// The program to measure: the one the environment variable names (another
// build's, for a before and after), else this build's.
inline QString program(const char* variable, const char* builtHere) {
  const QString chosen = qEnvironmentVariable(variable);
  return chosen.isEmpty() ? QString::fromLocal8Bit(builtHere) : chosen;
}

inline double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The load average over 1, 5 and 15 minutes, as /proc/loadavg tells it.
inline QByteArray loadAverage() {
  QFile file(QStringLiteral("/proc/loadavg"));
  if (!file.open(QIODevice::ReadOnly)) return "unknown";
  const QList<QByteArray> fields = file.readAll().split(' ');
  return fields.size() < 3 ? QByteArray("unknown") : fields.mid(0, 3).join(' ');
}

inline void printLoad(const char* when) {
  std::printf("load average %s: %s\n", when, loadAverage().constData());
  std::fflush(stdout);
}

// Ratios of ours to theirs, one per round.
struct Ratios {
  std::vector<double> values, ours, theirs;

  void add(double oursValue, double theirsValue) {
    if (oursValue <= 0 || theirsValue <= 0) return;
    values.push_back(oursValue / theirsValue);
    ours.push_back(oursValue);
    theirs.push_back(theirsValue);
  }
  // The row: minimum and median ratio, the median of each side (times scale,
  // in unit: seconds as milliseconds unless told otherwise) and how many
  // rounds counted.
  void print(const QByteArray& what, double scale = 1000, const char* unit = "ms") const {
    if (values.empty()) {
      std::printf("%-48s  no valid round\n", what.constData());
    } else {
      std::printf("%-48s  min %.2fx  median %.2fx  (median %6.1f %s vs %6.1f %s, %zu rounds)\n",
                  what.constData(), *std::min_element(values.begin(), values.end()), median(values),
                  median(ours) * scale, unit, median(theirs) * scale, unit, values.size());
    }
    std::fflush(stdout);
  }
};

// Starts command (an absolute path and its arguments) with standard input and
// output on /dev/null and standard error as this process's; its pid, or -1.
inline pid_t spawnQuietly(const QStringList& command) {
  std::vector<QByteArray> words;
  for (const QString& word : command) words.push_back(word.toLocal8Bit());
  std::vector<char*> argv;
  for (QByteArray& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed ? -1 : pid;
}

// Seconds from the start of command to its end; -1 when it could not start or
// did not end with status expectedStatus.
inline double secondsToRun(const QStringList& command, int expectedStatus = 0) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = spawnQuietly(command);
  if (pid < 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != expectedStatus) {
    std::fprintf(stderr, "%s ended with status %d\n", qPrintable(command.join(' ')), status);
    return -1;
  }
  return took.count();
}

}  // namespace bench
