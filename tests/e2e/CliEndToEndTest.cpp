// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <csignal>
#include <functional>
#include <vector>

#include "Await.h"
#include "Capability.h"
#include "DataRows.h"
#include "CounterfeitDrive.h"
#include "LoopImage.h"
#include "cli/CliApplication.h"

using namespace tessaro;
using test::ChildRun;
using test::CliRun;
using test::keysInAnotherStyle;
using test::runCli;
using test::runProgram;

namespace {

// The full command line, which tessaro-cli loads, beside it in the build.
QString fullModule() {
  return QFileInfo(TESSARO_CLI_BUILD_PATH).dir().filePath("tessaro-cli-full.so");
}

// The program the user starts answers the list without Qt; the full
// command line, which it loads for everything else, without graphics.
TEST(CliProgram, LoadsNoGraphicsLibraries) {
  const auto [status, libraries] = runProgram("ldd", {TESSARO_CLI_BUILD_PATH});
  ASSERT_EQ(status, 0);
  EXPECT_FALSE(libraries.contains("libQt6")) << libraries.toStdString();
  const auto [fullStatus, fullLibraries] = runProgram("ldd", {fullModule()});
  ASSERT_EQ(fullStatus, 0);
  EXPECT_TRUE(fullLibraries.contains("libQt6Core"));
  for (const char* gui : {"libQt6Gui", "libQt6Widgets", "libQt6Svg", "libGL", "libX11"})
    EXPECT_FALSE(fullLibraries.contains(gui)) << gui;
}

// A copy of tessaro-cli with no full command line to load shows which
// command lines it answers itself (CliEndToEnd/front.rows); where it does,
// its document is the full command line's (which alone takes a last "--"),
// byte for byte.
TEST(CliProgram, AnswersTheListItselfOnlyAsTheFullCommandLineWould) {
  const QString installed =
      QFileInfo(TESSARO_HELPER_INSTALL_PATH).dir().filePath("tessaro-cli-full.so");
  if (QFileInfo::exists(installed)) GTEST_SKIP() << installed.toStdString() << " would answer";
  QTemporaryDir dir;
  const QString alone = dir.filePath("tessaro-cli");
  ASSERT_TRUE(QFile::copy(TESSARO_CLI_BUILD_PATH, alone));
  const QList<test::DataRow> rows = test::readDataRows(TESSARO_FIXTURES_DIR "/CliEndToEnd/front.rows");
  ASSERT_GT(rows.size(), 20);
  for (const test::DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 3) << row.where.toStdString();
    SCOPED_TRACE(row.where.toStdString() + ": " + row.fields[1].toStdString());
    QByteArrayList environment{"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    if (row.fields[0] != "-") environment += test::wordsOf(row.fields[0]);
    const QByteArrayList arguments = test::wordsOf(row.fields[1]);
    const auto run = [&](const QString& program, const QByteArrayList& more = {}) {
      return ChildRun::run(program, arguments + more, {.environmentChanges = environment});
    };
    const ChildRun::Result quick = run(alone);
    if (row.fields[2] == "full") {
      EXPECT_EQ(quick.status, int(cliToolFailed)) << quick.output.toStdString();
      EXPECT_TRUE(quick.errorOutput.startsWith("tessaro-cli: cannot load "))
          << quick.errorOutput.toStdString();
      continue;
    }
    ASSERT_EQ(row.fields[2], "here");
    // Other programs attach loop devices meanwhile: three pairs in a row
    // that differ are no such change.
    ChildRun::Result here = quick, full = run(TESSARO_CLI_BUILD_PATH, {"--"});
    for (int attempt = 0; attempt < 2 && here.output != full.output; ++attempt)
      here = run(alone), full = run(TESSARO_CLI_BUILD_PATH, {"--"});
    EXPECT_EQ(here.status, 0) << here.errorOutput.toStdString();
    EXPECT_EQ(full.status, 0) << full.errorOutput.toStdString();
    EXPECT_EQ(here.output.toStdString(), full.output.toStdString());
    EXPECT_EQ(here.errorOutput, "");
    EXPECT_EQ(full.errorOutput, "");
  }
}

// (That the same devices give the same text, byte for byte, is the test
// above: two programs write it in two runs.)
TEST(CliProgram, ListPrintsLsblksDocumentWithEveryDeviceUnderAll) {
  const CliRun all = runCli({"list", "--all", "--json"});
  ASSERT_EQ(all.status, 0) << shown(all);
  const QJsonDocument document = QJsonDocument::fromJson(all.out.toUtf8());
  ASSERT_TRUE(document["blockdevices"].isArray()) << shown(all);
  EXPECT_EQ(keysInAnotherStyle(document.object()), QStringList());
  // Partitions and volumes under their disk, as lsblk nests them.
  const std::function<void(const QJsonArray&, const QString&)> walk = [&](const QJsonArray& devices,
                                                                          const QString& parent) {
    for (const QJsonValue& device : devices) {
      EXPECT_TRUE(device["offered"].toBool() || device["reason"]["message"].isString())
          << device["name"].toString().toStdString();
      if (device["type"] == "part") EXPECT_FALSE(parent.isEmpty()) << shown(all);
      walk(device["children"].toArray(), device["name"].toString());
    }
  };
  walk(document["blockdevices"].toArray(), {});
}

// Output nobody can read: a closed pipe ends the program quietly, as SIGPIPE
// ends other tools (a full disk is an error: CliEndToEnd/cases.rows).
TEST(CliProgram, OutputThatCannotBeWrittenEndsTheCommand) {
  const auto [status, said] = runProgram(
      "python3", {"-c",
                  "import os, subprocess, sys\n"
                  "r, w = os.pipe()\n"
                  "os.close(r)\n"
                  "for words in (['--help'], ['list', '--json']):\n"
                  "    run = subprocess.run([sys.argv[1]] + words, stdout=w, stderr=subprocess.PIPE)\n"
                  "    print(run.returncode, repr(run.stderr))",
                  TESSARO_CLI_BUILD_PATH});
  EXPECT_EQ(status, 0);
  EXPECT_EQ(said, "-13 b''\n-13 b''");
}

// Small enough to hash quickly before and after.
class CliOnSmallLoopDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
    ASSERT_FALSE(image.device().isEmpty());
  }
  QString name() const { return image.device().mid(5); }

  test::LoopImage image{64LL * 1024 * 1024};
};

// What was written to file, from its start.
QString contents(FILE* file) {
  std::rewind(file);
  QFile read;
  read.open(file, QIODevice::ReadOnly);
  return QString::fromUtf8(read.readAll());
}

// tessaro-cli in this process, its helper a shell script that takes the real
// one's place, and its two streams in files.
struct CliWithStandInHelper {
  explicit CliWithStandInHelper(const QByteArray& script)
      : helper(dir.filePath("helper")),
        manager(std::make_unique<LinuxDiskTools>("/usr/bin/lsblk", "/sys", helper)) {
    test::writeProgram(helper, "#!/bin/sh\necho '@@tessaro-helper-started@@'\n" + script);
  }

  // Runs command on device, as with --yes (and --json); its exit status.
  int run(CliCommand command, const QString& device, bool json = false) {
    CliRequest request;
    request.command = command;
    request.devices = {device};
    request.json = json;
    request.assumeYes = true;
    return test::awaitTask(cli.run(request));
  }

  QTemporaryDir dir;
  QString helper;
  DiskManager manager;
  // Closed after the command line that writes to them is gone.
  std::unique_ptr<FILE, int (*)(FILE*)> outFile{std::tmpfile(), &std::fclose};
  std::unique_ptr<FILE, int (*)(FILE*)> errFile{std::tmpfile(), &std::fclose};
  FILE* out = outFile.get();
  FILE* err = errFile.get();
  CliOutput output{out, err};
  CliApplication cli{manager, output};
};

// What a tool printed as the tool printed it, emoji, symbols and bytes that
// are no UTF-8 (as U+FFFD) too. (Tessaro's own symbols only on a terminal
// whose locale is UTF-8: CliEndToEnd/cases.rows.)
TEST_F(CliOnSmallLoopDevice, OwnSymbolsOnlyOnAUtf8TerminalAToolsLinesAsPrinted) {
  // A localised tool's Latin-1, emoji in a file name, a check mark of the
  // tool's own, split across writes and between its two streams.
  CliWithStandInHelper run(
      "printf 'Ger\\344t bereit\\n'\n"
      "printf '\\360\\237\\222\\276 FOTO.JPG \\342\\234\\205 ok\\n' >&2\n"
      "printf '\\342\\234'; printf '\\205 done\\n'\n");
  EXPECT_EQ(run.run(CliCommand::Check, image.device()), cliSuccess)
      << contents(run.err).toStdString();
  const QString printed = contents(run.out);
  for (const QString& line : {QString::fromUtf8("Ger\xEF\xBF\xBDt bereit\n"),
                              QString::fromUtf8("\xF0\x9F\x92\xBE FOTO.JPG \xE2\x9C\x85 ok\n"),
                              QString::fromUtf8("\n\xE2\x9C\x85 done\n")})
    EXPECT_TRUE(printed.contains(line)) << line.toStdString() << " in\n" << printed.toStdString();
  EXPECT_TRUE(printed.endsWith("\nNo errors were found.\nCheck complete.\n"))
      << printed.toStdString();
}

// The drive a row of CliEndToEnd/cases.rows starts from (see its kinds).
struct RowDrive {
  std::unique_ptr<test::LoopDisk> disk;
  std::unique_ptr<test::CounterfeitDrive> fake;
  QString name() const { return fake ? fake->device().mid(5) : disk->ready() ? disk->name() : ""; }
};

RowDrive driveFor(const QString& kind) {
  if (kind.startsWith("fake ")) {
    const QStringList words = test::driveWordsOf(kind.mid(5));
    return {nullptr, std::make_unique<test::CounterfeitDrive>(
                         words[0], words[1].toLongLong(), words[2].toLongLong(), words.mid(3))};
  }
  const QString what = kind.section(' ', 0, 0), size = kind.section(' ', 1);
  auto disk = std::make_unique<test::LoopDisk>(test::LoopDisk::Options{
      .bytes = size.isEmpty() ? test::LoopDisk::Options{}.bytes : qint64(test::bytesOf(size)),
      .dirty = what == "dirty",
      .blank = what == "blank",
      .readOnly = what == "read-only"});
  QFile partition(disk->partitionPath());
  if ((what != "broken" && what != "controls") || !disk->ready() ||
      !partition.open(QIODevice::ReadWrite | QIODevice::Unbuffered | QIODevice::ExistingOnly))
    return {std::move(disk), nullptr};
  const QByteArray boot = partition.read(512);
  const char* at = boot.constData();
  if (what == "broken" && partition.seek(13)) partition.write(QByteArray(1, '\0'));
  if (what == "controls" && partition.seek(3)) partition.write("\x1b]0;X\x07\x1b[", 8);
  // The label, in the boot sector and in the root directory's label entry
  // (the first entry that mkfs.fat writes), where blkid reads it.
  const qint64 rootDirectory = (qFromLittleEndian<quint16>(at + 14) +
                                quint8(at[16]) * qFromLittleEndian<quint32>(at + 36)) *
                               qFromLittleEndian<quint16>(at + 11);
  for (const qint64 offset : {qint64(0x47), rootDirectory}) {
    if (what == "controls" && partition.seek(offset))
      partition.write(QByteArray("\x1b[2J\x07\xc2\x9b" "EVIL", 11));
  }
  return {std::move(disk), nullptr};
}

// Whether text meets what a row expects of it (see cases.rows).
std::string unmet(const QString& expected, const QString& text) {
  if (expected.contains(" && ")) {
    std::string all;
    for (const QString& each : expected.split(" && ")) all += unmet(each, text);
    return all;
  }
  const QString kind = expected.section(' ', 0, 0);
  const QString wanted = expected.section(' ', 1).replace("\\n", "\n");
  const bool met = kind == "any"     ? true
                   : kind == "empty" ? text.isEmpty()
                   : kind == "has"   ? text.contains(wanted)
                   : kind == "lacks" ? !text.contains(wanted)
                   : kind == "starts" ? text.startsWith(wanted)
                   : kind == "ends"  ? text.endsWith(wanted + '\n')
                   : kind == "one"
                       ? text.count('\n') == 1 && text.startsWith("tessaro-cli: " + wanted)
                       : false;
  return met ? std::string() : "not " + expected.toStdString() + ":\n" + text.toStdString();
}

// Each row: a refusal is one line on standard error and nothing on standard
// output, every status is the one the manual gives, a read-only check
// changes nothing, and nothing is written for a request that is refused.
// A row over several drives (kinds joined by "+") runs them as one batch.
TEST(CliCases, EachEndsWithItsStatusAndItsLinesAndLeavesTheDriveAsItSays) {
  if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/CliEndToEnd/cases.rows");
  ASSERT_GT(rows.size(), 20);
  std::vector<RowDrive> disks;
  std::string skipped, why;  // why the rows of counterfeit drives cannot run here
  for (const test::DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 6) << row.where.toStdString();
    const QStringList fields = test::textsOf(row.fields);
    SCOPED_TRACE(row.where.toStdString() + ": " + fields[1].toStdString());
    if (fields[0] != "same") {
      disks.clear();
      why = fields[0].contains("fake ") ? test::missingFuse() : "";
      for (const QString& kind : fields[0].split('+'))
        if (why.empty()) disks.push_back(driveFor(kind));
    }
    if (!why.empty()) {
      skipped = why;
      continue;
    }
    for (const RowDrive& disk : disks)
      ASSERT_FALSE(disk.name().isEmpty()) << (disk.fake ? disk.fake->failure().toStdString() : "");
    // {dev} and {part} name the first drive, {dev2}, {dev3}, ... the others.
    const auto expected = [&](QString text) {
      for (size_t i = disks.size(); i-- > 1;)
        text.replace(QStringLiteral("{dev%1}").arg(i + 1), disks[i].name());
      return text.replace("{dev}", disks[0].name()).replace("{part}", disks[0].name() + "p1");
    };
    QStringList arguments;
    for (const QString& word : test::textsOf(row.fields[1].split(' '))) arguments << expected(word);
    const QStringList after = fields[5].split('+');
    QStringList before;
    for (const RowDrive& disk : disks) before << (disk.disk ? disk.disk->hash() : "");
    const QString output = arguments.last().startsWith('>') ? arguments.takeLast().mid(1) : "";
    const bool atTerminal = arguments.last().startsWith('<');
    const QByteArray typed = atTerminal ? arguments.takeLast().mid(1).toUtf8() : "";
    QByteArrayList environment;
    while (arguments.first().contains('=')) environment << arguments.takeFirst().toUtf8();
    CliRun run;
    if (!atTerminal) {
      run = runCli(arguments, {}, output, environment);
    } else {  // script(1) gives it one, its two streams merged
      QByteArray command = TESSARO_CLI_BUILD_PATH;
      for (const QString& word : arguments) command += " '" + word.toUtf8() + "'";
      const ChildRun::Result ran = ChildRun::run(
          "script", {"-qec", command, "/dev/null"},
          {.input = typed, .environmentChanges = environment}, 120000);
      run = {ran.status, ran.output, ran.errorOutput};
    }
    EXPECT_EQ(QString::number(run.status), fields[2]) << shown(run);
    EXPECT_EQ(unmet(expected(fields[3]), run.out), "") << "standard output";
    EXPECT_EQ(unmet(expected(fields[4]), run.err), "") << "standard error";
    for (size_t i = 0; i < disks.size(); ++i) {
      const QString& state = after.value(qsizetype(i), after.last());
      if (state != "-")
        EXPECT_EQ(disks[i].disk->hash() == before[qsizetype(i)], state == "unchanged") << i;
    }
  }
  if (!skipped.empty()) GTEST_SKIP() << skipped << ": the rows of counterfeit drives did not run";
}

// Ctrl+C or SIGTERM while a format runs is the window's Cancel: the helper is
// asked to stop through its standard input, and the exit status says which
// signal cancelled it, as a shell counts it. A stand-in helper that waits for
// that request takes the real one's place.
TEST_F(CliOnSmallLoopDevice, CtrlCAndSigtermAskTheHelperToStop) {
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    QTemporaryDir marks;
    const QString started = marks.filePath("started");
    // It stops as the helper does: its failure event, then its line.
    CliWithStandInHelper run(
        ": > '" + started.toUtf8() +
        "'\nread line\necho '@@tessaro-event@@ "
        "{\"event\":\"failure\",\"kind\":\"cancelled\",\"written\":false,\"tool\":\"\","
        "\"status\":72,\"message\":\"Cancelled: heard cancel, nothing changed.\"}'"
        "\necho \"Cancelled: heard $line, nothing changed.\"\nexit 72\n");

    // Only once the helper runs: before, SIGINT would still end the process.
    QTimer interrupt;
    QObject::connect(&interrupt, &QTimer::timeout, [&] {
      if (QFile::exists(started)) {
        interrupt.stop();
        std::raise(signal);
      }
    });
    interrupt.start(20);
    EXPECT_EQ(run.run(CliCommand::Format, image.device()), 128 + signal);

    // The helper's line says what the cancel left, once, where outcomes go.
    const QString printed = contents(run.out);
    EXPECT_TRUE(printed.startsWith("Starting format of " + image.device() + " as FAT32.\n"))
        << printed.toStdString();
    EXPECT_FALSE(printed.contains("Cancelled:")) << printed.toStdString();
    EXPECT_EQ(contents(run.err),
              "tessaro-cli: Cancelling: waiting for the tools to stop...\n"
              "tessaro-cli: Cancelled: heard cancel, nothing changed.\n");
  }
}

}  // namespace
