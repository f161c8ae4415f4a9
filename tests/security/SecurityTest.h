// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "ChildRun.h"
#include "LoopDisk.h"
#include "SystemTool.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"

// Failure messages show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace tessaro::security {

using namespace tessaro::test;
namespace C = HelperContract;

// The helper of this build as a child process, the way a caller who got past
// pkexec could start it: any arguments, any environment. Its output is read
// in frames, as the application reads it.
struct HelperRun : ChildRun {
  explicit HelperRun(const QByteArrayList& args, Setup setup = {})
      : ChildRun(QStringLiteral(TESSARO_HELPER_BUILD_PATH), args,
                 (setup.helperFrames = true, setup)) {}
  static Result run(const QByteArrayList& args, const Setup& setup = {},
                    int timeoutMs = kTimeoutMs) {
    return HelperRun(args, setup).finish(timeoutMs);
  }
};

// Attacks on the helper run it as root on loop devices; without root there is
// nothing to attack.
class SecurityTest : public ::testing::Test {
 protected:
  void SetUp() override;
};

// The lines in which the helper shows a command it runs ("$ /usr/sbin/wipefs ...").
QStringList commandLines(const QStringList& lines);

// The program of such a line, as shown ("/usr/sbin/wipefs").
QString programOf(const QString& commandLine);

// The commands among lines that may change a disk, its partitions as the
// kernel knows them, or a mount: everything but the tools and options known
// only to read.
QStringList writingCommands(const QStringList& lines);
inline bool writesToDisk(const QString& line) { return !writingCommands({line}).isEmpty(); }

// Opens path as another program would hold it: with O_EXCL, as its owner, or
// with LOCK_EX, the convention udev and systemd follow for a writer of a disk.
// The descriptor, or -1 when the kernel refused.
int holdOpen(const QString& path, bool lock);
// Whether path could be held so now.
bool canHold(const QString& path, bool lock);

// text with each {KEY} of names replaced by its value.
QByteArray expanded(QByteArray text, const std::map<QByteArray, QString>& names);

// What a run told in its events: its failure and the line after that event,
// whether its progress came to its end, whether it gave a result, and the
// finished status of each disk of a batch.
struct Told {
  std::optional<contract::FailureEvent> failure;
  QString failureLine;
  bool progressDone = false;
  bool result = false;
  std::map<std::string, int> finished;
};
Told toldBy(const QStringList& lines);

// A run as a failure message shows it: status, output, standard error.
std::string describe(const HelperRun::Result& result);

}  // namespace tessaro::security
