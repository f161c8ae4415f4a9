// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <csignal>

#include "Await.h"
#include "LoopImage.h"
#include "cli/CliApplication.h"

using namespace tessaro;
using test::runProgram;

namespace {

constexpr qint64 kBytes = 700LL * 1024 * 1024;

struct CliRun {
  int status = -1;
  QString out;
  QString err;
};

// tessaro-cli of this build as a child process; its standard input is a
// pipe, never a terminal.
CliRun runCli(const QStringList& arguments, const QByteArray& input = {}) {
  QProcess process;
  process.start(TESSARO_CLI_BUILD_PATH, arguments);
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(300000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

std::string shown(const CliRun& run) {
  return QStringLiteral("status %1\nstdout:\n%2stderr:\n%3")
      .arg(run.status)
      .arg(run.out, run.err)
      .toStdString();
}

TEST(CliProgram, LoadsNoGraphicsLibraries) {
  const auto [status, libraries] = runProgram("ldd", {TESSARO_CLI_BUILD_PATH});
  ASSERT_EQ(status, 0);
  EXPECT_TRUE(libraries.contains("libQt6Core"));
  for (const char* gui : {"libQt6Gui", "libQt6Widgets", "libQt6Svg", "libGL", "libX11"})
    EXPECT_FALSE(libraries.contains(gui)) << gui;
}

TEST(CliProgram, UnreadableCommandLinesExitWithTheUsageStatusAndSayWhy) {
  const QList<std::pair<QStringList, QString>> rows{
      {{}, "tessaro-cli: no command given\n"},
      {{"erase", "sdb"}, "tessaro-cli: unknown command 'erase'\n"},
      {{"format", "sdb", "--json"}, "tessaro-cli: format does not take --json\n"},
  };
  for (const auto& [arguments, error] : rows) {
    const CliRun run = runCli(arguments);
    EXPECT_EQ(run.status, 2) << shown(run);
    EXPECT_TRUE(run.out.isEmpty()) << shown(run);
    EXPECT_TRUE(run.err.startsWith(error)) << shown(run);
  }
  const CliRun help = runCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.startsWith("Usage: tessaro-cli COMMAND")) << shown(help);
  EXPECT_TRUE(runCli({"--version"}).out.startsWith("tessaro-cli "));
}

TEST(CliProgram, ListPrintsAJsonArrayOfDrives) {
  const CliRun run = runCli({"list", "--json"});
  ASSERT_EQ(run.status, 0) << shown(run);
  EXPECT_TRUE(QJsonDocument::fromJson(run.out.toUtf8()).isArray()) << shown(run);
}

template <qint64 bytes>
class CliOnLoopImage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to attach loop devices";
    ASSERT_FALSE(image.device().isEmpty());
  }
  QString name() const { return image.device().mid(5); }

  test::LoopImage image{bytes};
};
using CliOnLoopDevice = CliOnLoopImage<kBytes>;
// Small enough to hash quickly before and after.
using CliOnSmallLoopDevice = CliOnLoopImage<64LL * 1024 * 1024>;

TEST_F(CliOnLoopDevice, FormatsWithNameAndClusterSizeAndVerifies) {
  const CliRun run = runCli({"format", name(), "--name", "My USB", "--cluster", "8192", "--yes"});
  EXPECT_EQ(run.status, 0) << shown(run);
  const QStringList lines = run.out.trimmed().split('\n');
  EXPECT_EQ(lines.first(), "Starting format of " + image.device() + " as FAT32.");
  EXPECT_TRUE(run.out.contains("\nVerified: dos table, partition type c at sector 2048"))
      << shown(run);
  EXPECT_EQ(lines.last(), "Format complete for MY USB on " + image.device());
  EXPECT_EQ(runProgram("blkid", {"-s", "LABEL", "-o", "value", image.partition()}).second,
            "MY USB");
  EXPECT_EQ(runProgram("fsck.fat", {"-n", image.partition()}).first, 0);
}

// What the window's workflows show, for the same drive, is what the command
// line prints.
TEST_F(CliOnLoopDevice, CheckAndInfoPrintWhatTheWindowShows) {
  ASSERT_EQ(runCli({"format", image.device(), "--name", "My USB", "--yes"}).status, 0);
  test::LoopWindow window;
  for (const auto& [action, command] :
       {std::pair{&ContentView::checkSelectedDrive, QStringLiteral("check")},
        std::pair{&ContentView::showDriveInfo, QStringLiteral("info")}}) {
    const QString shownInWindow = window.logAfter(action, image.device(), kBytes);
    const CliRun run = runCli({command, name()});
    EXPECT_EQ(run.status, 0) << shown(run);
    EXPECT_EQ(run.out, shownInWindow + '\n') << command.toStdString();
  }
}

TEST_F(CliOnLoopDevice, InfoAsJsonHoldsTheReportsFacts) {
  ASSERT_EQ(runCli({"format", name(), "--name", "Card", "--cluster", "4096", "--yes"}).status, 0);
  const CliRun run = runCli({"info", image.device(), "--json"});
  ASSERT_EQ(run.status, 0) << shown(run);
  QProcess tool;
  tool.start("python3", {"-m", "json.tool"});
  tool.write(run.out.toUtf8());
  tool.closeWriteChannel();
  ASSERT_TRUE(tool.waitForFinished(60000));
  EXPECT_EQ(tool.exitCode(), 0) << shown(run);

  const QJsonObject facts = QJsonDocument::fromJson(run.out.toUtf8()).object();
  ASSERT_FALSE(facts.isEmpty()) << shown(run);
  EXPECT_EQ(facts["disk"]["deviceNode"].toString(), image.device()) << shown(run);
  EXPECT_EQ(facts["disk"]["totalSize"].toInteger(), kBytes) << shown(run);
  EXPECT_EQ(facts["partition"]["volumeName"].toString(), "CARD") << shown(run);
  EXPECT_EQ(facts["partition"]["filesystemBlockSize"].toInteger(), 4096) << shown(run);
}

// Nothing is written for a request that is refused, and the status says so.
TEST_F(CliOnSmallLoopDevice, RefusedRequestsLeaveTheImageUnchanged) {
  const QString before = image.hash();
  const QList<QStringList> refused{
      {"format", name(), "--name", "BAD.NAME", "--yes"},
      {"format", name(), "--name", "much too long a name", "--yes"},
      {"format", name(), "--cluster", "16384", "--yes"},  // too few clusters for FAT32
      {"format", name(), "--cluster", "1000", "--yes"},
      {"format", "/dev/../" + name(), "--yes"},
      {"format", name() + "p1", "--yes"},  // a partition, not a listed drive
      {"format", "loop999999", "--yes"},   // nothing attached
      {"format", "sda;" + name(), "--yes"},
      {"check", "/tmp/" + name()},
      {"format", name()},  // no terminal to confirm on, no --yes
  };
  for (const QStringList& arguments : refused) {
    const CliRun run = runCli(arguments, name().toUtf8() + '\n');
    EXPECT_EQ(run.status, 3) << arguments.join(' ').toStdString() << '\n' << shown(run);
  }
  EXPECT_EQ(image.hash(), before);
}

// A drive larger than an MBR partition can address: the prompt on the
// terminal says how much can be used before it asks, and an answer other
// than the drive's name leaves the drive as it was.
TEST(CliOnThreeTiBLoopDevice, PromptNamesTheMbrLimitAndDecliningLeavesTheImageUnchanged) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to attach loop devices";
  test::LoopImage image(3LL << 40);
  ASSERT_FALSE(image.device().isEmpty());
  const QString before = image.hash();
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const QByteArray name = image.device().mid(5).toUtf8();
    execl(TESSARO_CLI_BUILD_PATH, TESSARO_CLI_BUILD_PATH, "format", name.constData(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  QByteArray shown;
  bool answered = false;
  for (;;) {
    pollfd ready{terminal, POLLIN, 0};
    if (poll(&ready, 1, 60000) <= 0) break;
    char buffer[4096];
    const ssize_t got = read(terminal, buffer, sizeof buffer);
    if (got <= 0) break;  // EIO once the program has ended
    shown.append(buffer, got);
    if (!answered && shown.contains("to erase it: ")) {
      answered = write(terminal, "no\n", 3) == 3;
    }
  }
  int status = -1;
  waitpid(pid, &status, 0);
  close(terminal);
  EXPECT_TRUE(answered) << shown.toStdString();
  const qsizetype notice = shown.indexOf(
      "Only the first 2.2 TB of 3.3 TB can be used: an MBR partition table cannot "
      "address more.");
  EXPECT_GE(notice, 0) << shown.toStdString();
  EXPECT_LT(notice, shown.indexOf("to erase it: ")) << shown.toStdString();
  EXPECT_TRUE(
      shown.contains("Not confirmed: nothing on " + image.device().toUtf8() + " was erased."))
      << shown.toStdString();
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 3);
  EXPECT_EQ(image.hash(), before);
}

// Ctrl+C while a format runs is the window's Cancel: the helper is asked to
// stop through its standard input, and the exit status says cancelled. A
// stand-in helper that waits for that request takes the real one's place.
TEST_F(CliOnSmallLoopDevice, CtrlCAsksTheHelperToStop) {
  QTemporaryDir dir;
  const QString helper = dir.filePath("helper"), started = dir.filePath("started");
  {
    QFile script(helper);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho '@@tessaro-helper-started@@'\n: > '" + started.toUtf8() +
                 "'\nread line\necho \"Cancelled: heard $line, nothing changed.\"\nexit 72\n");
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  }
  DiskManager manager(std::make_unique<LinuxDiskTools>("/usr/bin/lsblk", "/sys", helper));
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  CliOutput output(out, err);
  CliApplication cli(manager, output);

  // Only once the helper runs: before, SIGINT would still end the process.
  QTimer interrupt;
  QObject::connect(&interrupt, &QTimer::timeout, [&] {
    if (QFile::exists(started)) {
      interrupt.stop();
      std::raise(SIGINT);
    }
  });
  interrupt.start(20);
  CliRequest request;
  request.command = CliCommand::Format;
  request.device = image.device();
  request.assumeYes = true;
  EXPECT_EQ(test::awaitTask(cli.run(request)), cliCancelled);

  const auto contents = [](FILE* file) {
    std::rewind(file);
    QFile read;
    read.open(file, QIODevice::ReadOnly);
    return QString::fromUtf8(read.readAll());
  };
  const QString printed = contents(out);
  EXPECT_TRUE(printed.startsWith("Starting format of " + image.device() + " as FAT32.\n"))
      << printed.toStdString();
  EXPECT_TRUE(printed.endsWith("\nCancelled: heard cancel, nothing changed.\n"))
      << printed.toStdString();
  EXPECT_EQ(contents(err), "Cancelling: waiting for the tools to stop...\n");
  std::fclose(out);
  std::fclose(err);
}

}  // namespace
