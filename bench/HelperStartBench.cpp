// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What starting the root helper costs: tessaro-helper from its start to its
// exit for a device name it refuses (it starts, says it began, checks the
// name and says why not), against `wipefs --version` (a util-linux tool that
// starts, prints a line and ends). The two are run in turn, round by round,
// and each round's ratio (helper / wipefs) counts; printed are the minimum
// and median ratio and the machine's load before and after.
//
// HelperStartBench [ROUNDS]; TESSARO_HELPER names another build's helper
// (for a before and after).

#include <sys/wait.h>

#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "BenchRounds.h"

namespace {

// A name of no kernel device's shape: refused before anything is read.
const QStringList kRefusedName{QStringLiteral("info"), QStringLiteral("../sda")};

// How the helper ends for kRefusedName; -1 when it cannot be run.
int refusalStatus(const QString& helper) {
  const pid_t pid = bench::spawnQuietly(QStringList{helper} + kRefusedName);
  if (pid < 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 101;
  const QString helper = bench::program("TESSARO_HELPER", TESSARO_HELPER_BUILD_PATH);
  const QString wipefs = QStringLiteral("/usr/sbin/wipefs");
  const int refused = refusalStatus(helper);
  if (refused < 64 || refused >= 128) {
    std::printf("%s does not refuse ../sda (status %d); nothing measured.\n", qPrintable(helper),
                refused);
    return 1;
  }
  std::printf("helper: %s (refuses ../sda with status %d)\n", qPrintable(helper), refused);
  bench::printLoad("before");
  bench::Ratios start;
  for (int round = 0; round < rounds; ++round) {
    // Interleaved, each side first in every other round.
    double ours = 0, theirs = 0;
    if (round % 2 == 0) {
      ours = bench::secondsToRun(QStringList{helper} + kRefusedName, refused);
      theirs = bench::secondsToRun({wipefs, QStringLiteral("--version")});
    } else {
      theirs = bench::secondsToRun({wipefs, QStringLiteral("--version")});
      ours = bench::secondsToRun(QStringList{helper} + kRefusedName, refused);
    }
    start.add(ours, theirs);
  }
  start.print("helper start to exit (refused name) vs wipefs --version");
  bench::printLoad("after");
  return 0;
}
