// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What crosses the root boundary: the JSON the helper's events are written
// in, the events and the frames they travel in, hostile and broken lines
// among them, as data; and the helper itself, run as the application runs it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include "Capability.h"
#include "ChildRun.h"
#include "DataRows.h"
#include "LoopDisk.h"
#include "cli/DeviceArgument.h"
#include "contract/FrameReader.h"
#include "contract/FrameWriter.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "contract/Json.h"
#include "helper/CancelWatch.h"
#include "helper/HelperTools.h"
#include "helper/KernelDevice.h"
#include "helper/LanguageVariable.h"
#include "helper/VerbRun.h"

using namespace tessaro;
using namespace tessaro::helper;
using tessaro::contract::HelperEvent;
using tessaro::contract::Json;

namespace {

std::string textOf(const QByteArray& field) { return test::unescaped(field).toStdString(); }

// The frames as a row writes them, text in UTF-8.
QByteArrayList shown(const std::vector<contract::FrameReader::Frame>& frames) {
  QByteArrayList fields;
  for (const contract::FrameReader::Frame& frame : frames) {
    if (frame.kind == contract::FrameReader::Frame::Kind::event) {
      fields << "event:" + QByteArray::fromStdString(frame.json);
    } else {
      fields << (frame.framed ? "text:" : "plain:") +
                    QString(reinterpret_cast<const QChar*>(frame.text.data()),
                            qsizetype(frame.text.size()))
                        .toUtf8();
    }
  }
  return fields;
}

std::vector<contract::FrameReader::Frame> readInPieces(const QByteArray& bytes,
                                                       const QList<qsizetype>& cuts) {
  contract::FrameReader reader;
  std::vector<contract::FrameReader::Frame> frames;
  const auto take = [&](std::vector<contract::FrameReader::Frame> more) {
    frames.insert(frames.end(), more.begin(), more.end());
  };
  test::feedInPieces(bytes, cuts,
                     [&](const QByteArray& piece) { take(reader.feed(piece.toStdString())); });
  take(reader.finish());
  return frames;
}

QByteArray framedInPieces(const QByteArray& bytes, const QList<qsizetype>& cuts) {
  contract::FrameWriter writer;
  std::string framed = std::string(HelperContract::startMarker) + '\n';
  test::feedInPieces(bytes, cuts,
                     [&](const QByteArray& piece) { framed += writer.pass(piece.toStdString()); });
  return QByteArray::fromStdString(framed + writer.finish());
}

// Cut points to try: every one for a short stream, some for a long one.
QList<QList<qsizetype>> cutsOf(qsizetype size) {
  QList<QList<qsizetype>> cuts{{}};
  const qsizetype step = size > 400 ? size / 97 + 1 : 1;
  for (qsizetype at = 1; at < size; at += step) cuts.append(QList<qsizetype>{at});
  if (size <= 400) {
    QList<qsizetype> everyByte;
    for (qsizetype at = 1; at < size; ++at) everyByte << at;
    cuts.append(QList<QList<qsizetype>>{everyByte});
  }
  return cuts;
}

// JSON values and the helper's event lines, each read by its one strict
// parser and written so that what is written reads back the same.
TEST(ContractTest, JsonAndEventLinesAreReadStrictlyAndWrittenSoThatTheyCanBeRead) {
  for (const QString table : {"json", "events"}) {
    // The text read and written again; none when it is refused.
    const auto reread = [&](const std::string& text) -> std::optional<std::string> {
      if (table == "json") {
        const std::optional<Json> value = Json::parse(text);
        return value ? std::optional(value->compact()) : std::nullopt;
      }
      const std::optional<HelperEvent> event = HelperEvent::fromLine(text);
      return event ? std::optional(event->line()) : std::nullopt;
    };
    const QList<test::DataRow> rows =
        test::readDataRows(TESSARO_FIXTURES_DIR "/Contract/" + table + ".rows");
    ASSERT_GT(rows.size(), 40);
    for (const test::DataRow& row : rows) {
      SCOPED_TRACE(row.where.toStdString());
      ASSERT_GE(row.fields.size(), 2);
      const std::string text = textOf(row.fields[1]);
      const std::string expected = row.fields[0] == "same" ? text : textOf(row.fields.value(2));
      if (row.fields[0] == "write") {  // a text written as a JSON string
        EXPECT_EQ(Json(text).compact(), expected);
        EXPECT_TRUE(Json::parse(expected).has_value());
        continue;
      }
      const std::optional<std::string> read = reread(text);
      if (row.fields[0] == "refuse") {
        EXPECT_FALSE(read.has_value()) << *read;
        continue;
      }
      ASSERT_TRUE(read.has_value()) << text;
      EXPECT_EQ(*read, expected);
      EXPECT_EQ(reread(*read), read);
    }
  }
}

// What the helper prints arrives in any reads; what a tool prints is framed
// by the helper: read back, it is text, whatever it looks like.
TEST(HelperFramesTest, EveryRowReadsAsItsFramesHoweverItIsCut) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/HelperFrames/frames.rows", "\t");
  ASSERT_GT(rows.size(), 20);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    ASSERT_GE(row.fields.size(), 2);
    const QByteArray kind = row.fields[0];
    const bool tool = kind == "tool";
    ASSERT_TRUE(tool || kind == "read" || kind == "line" || kind == "event");
    const QByteArray bytes = test::unescaped(row.fields[1]);
    QByteArrayList expected;
    for (const QByteArray& field : row.fields.mid(2))
      if (field != "\"\"") expected << test::unescaped(field);
    // The helper's own lines and events after its marker, as it writes them.
    const auto own = [](const std::string& frames) {
      return HelperContract::startMarker + ('\n' + QByteArray::fromStdString(frames));
    };
    const std::string_view text(bytes.constData(), std::size_t(bytes.size()));
    const QByteArray stream = tool              ? framedInPieces(bytes, {})
                              : kind == "line"  ? own(contract::FrameWriter::textFrames(text))
                              : kind == "event" ? own(contract::FrameWriter::eventFrame(text))
                                                : bytes;
    for (const QList<qsizetype>& cuts : cutsOf(bytes.size())) {
      if (tool)
        ASSERT_EQ(framedInPieces(bytes, cuts), stream) << "framed with cuts " << cuts.size();
      ASSERT_EQ(shown(readInPieces(stream, cuts)), expected) << "read with cuts " << cuts.size();
    }
  }
}

struct HelperRun {
  int status = -1;
  QStringList lines;                // for people
  std::vector<HelperEvent> events;  // for the application
};

// Runs the helper of this build; its standard input stays open (and silent)
// unless input is given, which is written and then closed.
HelperRun runHelper(const QStringList& args, const std::optional<QByteArray>& input = {},
                    const std::optional<QByteArrayList>& environment = {}) {
  const test::ChildRun::Result helper = test::ChildRun::run(
      TESSARO_HELPER_BUILD_PATH, test::argumentsOf(args),
      {.environment = environment, .input = input, .helperFrames = true}, 120000);
  HelperRun ran{helper.status, {}, {}};
  for (const QString& line : helper.lines) {
    if (line.isEmpty()) continue;
    const std::optional<HelperEvent> event = HelperEvent::fromLine(line.toStdString());
    EXPECT_EQ(event.has_value(), line.startsWith(HelperContract::eventPrefix))
        << line.toStdString();
    if (event)
      ran.events.push_back(*event);
    else
      ran.lines << line;
  }
  return ran;
}

// tessaro-cli takes a kernel name or its device path; the helper a kernel name only.
TEST(HelperBoundaryTest, KernelNamesHaveTheKernelsShape) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/DeviceNames/device-arguments.rows", "\t");
  ASSERT_GT(rows.size(), 30);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    ASSERT_EQ(row.fields.size(), 3);
    const QByteArray text = test::unescaped(row.fields[0]);
    EXPECT_EQ(DeviceArgument::kernelName(QString::fromUtf8(text)).value_or("refused"),
              QString::fromUtf8(row.fields[1]));
    EXPECT_EQ(KernelDevice::hasKernelNameShape(text.toStdString()), row.fields[2] == "name");
  }
}

TEST(HelperBoundaryTest, MissingToolsAreNamedWithTheirPackages) {
  QTemporaryDir empty;
  const HelperTools tools({"lsblk", "wipefs", "sfdisk", "mkfs.fat", "fsck.fat", "umount"},
                          {empty.path().toStdString()});
  EXPECT_EQ(tools.missingLines(),
            (std::vector<std::string>{
                "Refused: lsblk and wipefs are not installed: install util-linux; nothing was "
                "written.",
                "Refused: sfdisk is not installed: install fdisk; nothing was written.",
                "Refused: mkfs.fat and fsck.fat are not installed: install dosfstools; nothing was "
                "written.",
                "Refused: umount is not installed: install mount; nothing was written."}));
  // Found by absolute path in the system's directories, whatever PATH says.
  const HelperTools found(std::vector<std::string>{"sh"}, {"/nonexistent", "/bin"});
  EXPECT_EQ(found.path(std::string("sh")), "/bin/sh");
  EXPECT_TRUE(found.missingLines().empty());
}

// The caller's language reaches the tools only as a locale name.
TEST(HelperBoundaryTest, OnlyLocaleNamesReachTheTools) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/HelperEnvironment/language-variables.rows", "\t");
  for (const test::DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 3) << row.where.toStdString();
    EXPECT_EQ(isLanguageVariable(test::unescaped(row.fields[1]).toStdString()),
              row.fields[0] == "kept")
        << row.fields[1].toStdString() << "\n  because " << row.fields[2].toStdString();
  }
  EXPECT_GT(rows.size(), 0);
}

// The frames the helper writes to standard output while run runs step, and
// then with its own line after it, as the application reads them.
QByteArrayList framesWhileRunning(const ToolStep& step, const QString& after) {
  int fds[2];
  if (pipe(fds) != 0) return {"no pipe"};
  const int saved = dup(STDOUT_FILENO);
  dup2(fds[1], STDOUT_FILENO);
  CancelWatch unwatched(-1);
  VerbRun run(unwatched);
  run.run(step);
  printLine(after.toStdString());
  dup2(saved, STDOUT_FILENO);
  close(saved);
  close(fds[1]);
  QFile output;
  if (!output.open(fds[0], QIODevice::ReadOnly, QFile::AutoCloseHandle)) return {"unreadable"};
  return shown(readInPieces(HelperContract::startMarker + ('\n' + output.readAll()), {}));
}

// A tool whose last line has no line feed: the helper's next line still
// starts a frame of its own, where the caller looks for "Failed:" or
// "Cancelled:".
TEST(HelperBoundaryTest, AToolsUnfinishedLastLineIsEndedBeforeTheHelpersNext) {
  const QByteArrayList frames =
      framesWhileRunning({{"/usr/bin/printf", "mkfs.fat: cannot write"}, {}},
                         "Failed: mkfs.fat ended with exit status 1");
  ASSERT_EQ(frames.size(), 4) << frames.join('\n').toStdString();
  // The step's event comes first.
  const std::optional<HelperEvent> step = HelperEvent::fromJson(frames[0].mid(6).toStdString());
  ASSERT_TRUE(step && step->get<contract::StepEvent>() && frames[0].startsWith("event:"));
  EXPECT_EQ(step->get<contract::StepEvent>()->command,
            (std::vector<std::string>{"/usr/bin/printf", "mkfs.fat: cannot write"}));
  EXPECT_EQ(frames.mid(1), (QByteArrayList{"text:$ /usr/bin/printf 'mkfs.fat: cannot write'",
                                           "text:mkfs.fat: cannot write",
                                           "text:Failed: mkfs.fat ended with exit status 1"}));
}

class HelperLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
    ASSERT_TRUE(loop.ready());
  }
  test::LoopDisk loop{{.bytes = 300 * 1024 * 1024, .blank = true}};
};

// The caller cancels, or goes away, before the first write: nothing written.
TEST_F(HelperLoopTest, CancelOrAGoneCallerBeforeTheFirstWriteChangesNothing) {
  const QString before = loop.hash();
  HelperRun ran = runHelper({"format", loop.name(), "X", "default"}, QByteArray("cancel\n"));
  EXPECT_EQ(ran.status, HelperContract::cancelled) << ran.lines.join('\n').toStdString();
  EXPECT_EQ(ran.lines.last(), "Cancelled: nothing was written to " + loop.devicePath() + ".");
  // Its last event tells the same, typed.
  ASSERT_FALSE(ran.events.empty());
  EXPECT_EQ(ran.events.back(),
            HelperEvent(contract::FailureEvent::of(HelperContract::cancelled, false,
                                                   ran.lines.last().toStdString())));
  EXPECT_EQ(ran.events.back().get<contract::FailureEvent>()->kind, "cancelled");
  ran = runHelper({"format", loop.name(), "X", "default"}, QByteArray());
  EXPECT_EQ(ran.status, HelperContract::cancelled);
  ran = runHelper({"check", loop.name()}, QByteArray());
  EXPECT_EQ(ran.status, HelperContract::cancelled);
  EXPECT_EQ(ran.lines.filter("$ ").size(), 0);
  EXPECT_EQ(loop.hash(), before);
}

// A stick with FAT on the whole disk (no partition table) is checked there,
// and the tools are found whatever PATH the caller had.
TEST_F(HelperLoopTest, ASuperfloppyIsCheckedOnTheWholeDiskWithoutPath) {
  ASSERT_EQ(
      test::runProgram("/usr/sbin/mkfs.fat", {"-F", "32", "-n", "FLOPPY", loop.devicePath()}).first,
      0);
  const HelperRun ran = runHelper({"check", loop.name()}, {}, QByteArrayList{"PATH=/nonexistent"});
  EXPECT_EQ(ran.status, 0) << ran.lines.join('\n').toStdString();
  EXPECT_EQ(ran.lines.value(0), "$ /usr/sbin/fsck.fat -a -w -v " + loop.devicePath());
  // fsck.fat may repair: the run said it writes, once, before its first
  // step; its progress ends at 1.
  ASSERT_FALSE(ran.events.empty());
  EXPECT_TRUE(ran.events.front().get<contract::WritingEvent>());
  int writing = 0;
  std::vector<std::vector<std::string>> steps;
  for (const HelperEvent& event : ran.events) {
    writing += event.get<contract::WritingEvent>() != nullptr;
    if (const auto* step = event.get<contract::StepEvent>()) steps.push_back(step->command);
  }
  EXPECT_EQ(writing, 1);
  EXPECT_EQ(steps, (std::vector<std::vector<std::string>>{
                       {"/usr/sbin/fsck.fat", "-a", "-w", "-v", loop.devicePath().toStdString()}}));
  const auto* progress = ran.events.back().get<contract::ProgressEvent>();
  ASSERT_TRUE(progress);
  EXPECT_EQ(progress->fraction, 1.0);
}

}  // namespace
