// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QFile>
#include <QJsonObject>
#include <QTimer>
#include <csignal>

#include "Await.h"
#include "LoopImage.h"
#include "cli/CliApplication.h"
#include "Capability.h"

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
    if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
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

// A drive whose boot sector carries terminal controls in its OEM name and
// label (a title change, a screen clear, a bell, a C1 CSI): check and info
// print them as visible escapes, never raw.
TEST_F(CliOnSmallLoopDevice, ControlsFromTheBootSectorNeverReachTheTerminalRaw) {
  ASSERT_EQ(runCli({"format", name(), "--name", "PLAIN", "--yes"}).status, 0);
  {
    QFile partition(image.partition());
    ASSERT_TRUE(partition.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
    ASSERT_TRUE(partition.seek(3));
    ASSERT_EQ(partition.write("\x1b]0;X\x07\x1b[", 8), 8);      // OEM name
    // The label, in the boot sector and in the root directory's label entry
    // (the first entry that mkfs.fat writes), where blkid reads it.
    const QByteArray label("\x1b[2J\x07\xc2\x9b" "EVIL", 11);
    ASSERT_TRUE(partition.seek(0));
    const QByteArray boot = partition.read(512);
    const auto at = [&](int offset, int size) {
      qint64 value = 0;
      for (int i = size - 1; i >= 0; --i) value = value * 256 + quint8(boot[offset + i]);
      return value;
    };
    const qint64 rootDirectory = (at(14, 2) + at(16, 1) * at(36, 4)) * at(11, 2);
    for (const qint64 offset : {qint64(0x47), rootDirectory}) {
      ASSERT_TRUE(partition.seek(offset));
      ASSERT_EQ(partition.write(label), 11);
    }
  }
  const auto rawControls = [](const QString& text) {
    QString found;
    for (const QChar c : text) {
      const char16_t u = c.unicode();
      if ((u < 0x20 && u != '\n' && u != '\t') || (u >= 0x7F && u <= 0x9F))
        found += QStringLiteral("U+%1 ").arg(int(u), 4, 16, QLatin1Char('0'));
    }
    return found;
  };
  for (const QStringList& arguments : {QStringList{"info", name()}, QStringList{"check", name()}}) {
    const CliRun run = runCli(arguments);
    EXPECT_EQ(rawControls(run.out + run.err).toStdString(), "") << shown(run);
    // fsck.fat prints the OEM name as it is; blkid, for info, escapes the label itself.
    if (arguments.first() == "check")
      EXPECT_TRUE(run.out.contains("\\x1B")) << "the controls are not shown at all: " << shown(run);
  }
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
