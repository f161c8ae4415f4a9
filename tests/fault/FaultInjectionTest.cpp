// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The root helper where the world fails rather than attacks: strace fails one
// system call of the helper at a time (--inject), on a loop drive of the run's
// own. The rows are in data/faults.rows; TESSARO_FAULT_SWEEP=1 (or a list of
// verbs, "format,check") fails every call of each class instead, one run each
// (rowsToRun).

#include <QFile>
#include <QRegularExpression>
#include <iostream>
#include <map>

#include "DataRows.h"
#include "contract/HelperEvent.h"
#include "security/SecurityTest.h"

namespace tessaro::security {
namespace {

const QString kStrace = QStringLiteral("/usr/bin/strace");
const QByteArray kLabel = "FAULT";

struct Row {
  QString where;
  QByteArray verb;
  QByteArray syscall;
  QByteArray fault;
  bool children = false;
  QByteArray path;    // for -P; empty: any
  QByteArray match;   // which call; empty: the first
  QByteArray expect;  // refused, failed, success; any (the sweep)
  QByteArray reason;  // empty: not checked
};

// The fault rows, and the never rows (never | phrase | why).
struct Rows {
  QList<Row> faults;
  QList<DataRow> never;
};

Rows readRows() {
  Rows rows;
  for (const DataRow& data : readDataRows(QStringLiteral(TESSARO_FAULT_DATA_DIR "/faults.rows"))) {
    if (data.fields.value(0) == "never") {
      EXPECT_EQ(data.fields.size(), 3) << data.where.toStdString();
      rows.never << data;
      continue;
    }
    EXPECT_EQ(data.fields.size(), 6) << data.where.toStdString();
    const auto field = [&](int i) {
      return data.fields.value(i) == "-" ? QByteArray() : data.fields.value(i);
    };
    const QByteArrayList call = field(1).split(' ');
    rows.faults << Row{
        data.where, field(0), call.value(0), call.value(1), call.contains("children"),
        field(2),   field(3), field(4),      field(5)};
  }
  return rows;
}

// A drive of the run's own for the verb, and the names the rows use.
struct Scene {
  LoopDisk disk;
  std::map<QByteArray, QString> names;

  explicit Scene(const QByteArray& verb) : disk({.dirty = verb == C::checkVerb}) {
    if (!disk.ready()) return;
    const auto sysfs = [](const QString& name) {
      return QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    };
    names["disk"] = disk.name();
    names["part"] = disk.partitionName();
    names["dev"] = disk.devicePath();
    names["devpart"] = disk.partitionPath();
    names["sysdisk"] = sysfs(disk.name());
    names["syspart"] = sysfs(disk.partitionName());
    QFile number(names["sysdisk"] + QStringLiteral("/dev"));
    if (number.open(QIODevice::ReadOnly)) {
      names["number"] = QString::fromLatin1(number.readAll().trimmed());
      names["udev"] = QStringLiteral("/run/udev/data/b") + names["number"];
    }
  }
  bool ready() const { return disk.ready() && names.count("udev"); }

  QByteArrayList args(const QByteArray& verb) const {
    if (verb == C::formatVerb) return {verb, disk.name().toUtf8(), kLabel, "default"};
    if (verb == C::checkVerb) return {verb, disk.partitionName().toUtf8()};
    return {verb, disk.name().toUtf8()};
  }
};

// One run of the helper under strace, and the calls strace saw.
struct Traced {
  HelperRun::Result result;
  QStringList calls;
};

Traced runTraced(const Scene& scene, const QByteArray& verb, const QByteArrayList& options) {
  QTemporaryDir dir;
  const QString log = dir.filePath(QStringLiteral("trace"));
  QByteArrayList args{"-qq", "-y", "-s", "200", "-e", "signal=none", "-o", QFile::encodeName(log)};
  args << options << "--" << TESSARO_HELPER_BUILD_PATH << scene.args(verb);
  Traced traced;
  traced.result = ChildRun::run(kStrace, args, {.helperFrames = true}, 120000);
  QFile file(log);
  if (file.open(QIODevice::ReadOnly))
    traced.calls = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  return traced;
}

QByteArrayList traceOptions(const Row& row, const Scene& scene, int when) {
  QByteArrayList options{"-e", "trace=" + row.syscall};
  if (row.children) options << "-f";
  if (!row.path.isEmpty()) options << "-P" << expanded(row.path, scene.names);
  if (when > 0) {
    const QByteArray fault = row.fault == "short" ? "retval=100" : "error=" + row.fault;
    options << "-e"
            << "inject=" + row.syscall + ":" + fault + ":when=" + QByteArray::number(when);
  }
  return options;
}

// The text a row's call holds, as strace shows it (a quote escaped).
QString matchText(const QByteArray& match) {
  const qsizetype hash = match.lastIndexOf('#');
  return QString::fromUtf8(hash < 0 ? match : match.left(hash))
      .replace(QLatin1Char('"'), QStringLiteral("\\\""));
}

// Which of the calls the row means (1 is the first); 0 when none is.
int occurrence(const QStringList& calls, const QByteArray& match) {
  if (match.isEmpty()) return calls.isEmpty() ? 0 : 1;
  const qsizetype hash = match.lastIndexOf('#');
  const QString text = matchText(match);
  const QByteArray which = hash < 0 ? QByteArray("1") : match.mid(hash + 1);
  QList<int> found;
  for (qsizetype i = 0; i < calls.size(); ++i)
    if (calls[i].contains(text)) found << int(i + 1);
  if (found.isEmpty()) return 0;
  if (which == "last") return found.last();
  return found.value(which.toInt() - 1, 0);
}

// Whether the drive holds what a successful run of the verb leaves.
bool driveIsRight(const QByteArray& verb, const Scene& scene, const Told& told) {
  if (verb == C::formatVerb) return scene.disk.fatLabel() == QStringLiteral("FAT32 ") + kLabel;
  if (verb == C::checkVerb)
    return runTool(QStringLiteral("fsck.fat"), {QStringLiteral("-n"), scene.disk.partitionPath()})
               .status == 0;
  return told.result;
}

// The invariants every run keeps, whatever failed; the outcome in a few words.
QString judge(const Row& row, const Scene& scene, const QString& before, const Traced& run,
              const QList<DataRow>& never) {
  const HelperRun::Result& result = run.result;
  const Told told = toldBy(result.lines);
  const bool changed = scene.disk.hash() != before;
  const std::string shown = describe(result);
  EXPECT_FALSE(result.timedOut) << shown;
  if (result.status == C::success) {
    EXPECT_TRUE(driveIsRight(row.verb, scene, told))
        << "success was claimed, but the drive does not hold what was asked; " << shown;
  }
  if (row.expect == "success") EXPECT_EQ(result.status, C::success) << shown;
  if (row.expect == "refused" || row.expect == "failed") {
    EXPECT_NE(result.status, C::success) << "a guard passed on an error; " << shown;
  }
  const bool written = told.failure && told.failure->written;
  if (row.expect == "refused") {
    EXPECT_TRUE(told.failure && !written) << "no failure before writing; " << shown;
    EXPECT_EQ(writingCommands(result.lines), QStringList()) << shown;
  }
  if (result.status != C::success && (result.status >= 64 || row.verb == C::formatVerb)) {
    EXPECT_TRUE(told.failure) << "a failure without its event; " << shown;
  }
  if (told.failure) {
    const QString message = QString::fromStdString(told.failure->message);
    // Without its start marker (the first write failed) nothing of the
    // output is framed, and the line keeps its frame's prefix.
    const QString line = message.section(QLatin1Char('\n'), 0, 0);
    EXPECT_TRUE(told.failureLine == line || told.failureLine == C::textPrefix + line)
        << "the failure's line for people: " << told.failureLine.toStdString();
    if (!written) EXPECT_FALSE(changed) << "the run said nothing was written; " << shown;
    if (!row.reason.isEmpty()) {
      EXPECT_TRUE(message.contains(QString::fromUtf8(expanded(row.reason, scene.names))))
          << "the reason is not the one that failed; " << shown;
    }
    for (const DataRow& phrase : never) {
      EXPECT_FALSE(message.contains(QString::fromUtf8(expanded(phrase.fields[1], scene.names))))
          << phrase.where.toStdString() << ": " << phrase.fields[2].toStdString() << "; " << shown;
    }
    // A tool the line names is the event's tool, and its failure ends no progress.
    static const QRegularExpression toolFailed(
        QStringLiteral("\\b(wipefs|sfdisk|partx|mkfs\\.fat|fsck\\.fat|umount) (ended with|could "
                       "not be (waited for|watched|started))"));
    const auto named = toolFailed.match(message);
    if (named.hasMatch()) {
      EXPECT_EQ(QString::fromStdString(told.failure->tool), named.captured(1)) << shown;
      EXPECT_FALSE(told.progressDone)
          << "the progress reached its end after a tool failed; " << shown;
    }
  }
  EXPECT_TRUE(canHold(scene.disk.devicePath(), true)) << "the drive is still locked after the run";
  const std::string kind = told.failure ? told.failure->kind : "-";
  return QStringLiteral("%1 %2%3").arg(result.status).arg(kind.c_str(), written ? ", written" : "");
}

class FaultInjection : public SecurityTest {
 protected:
  void SetUp() override {
    SecurityTest::SetUp();
    if (IsSkipped()) return;
    if (!QFileInfo(kStrace).isExecutable())
      GTEST_SKIP() << "strace is missing: install strace (./setup --tests does)";
  }
};

// The rows of data/faults.rows; with TESSARO_FAULT_SWEEP=1 (or a list of
// verbs) every call of each class instead, failing once each: only the
// invariants that hold whatever failed.
Rows rowsToRun() {
  Rows rows = readRows();
  const QByteArray sweep = qgetenv("TESSARO_FAULT_SWEEP");
  if (sweep.isEmpty()) return rows;
  rows.faults.clear();
  for (const QByteArray& verb : sweep == "1"
                                    ? QByteArrayList{C::formatVerb, C::checkVerb, C::probeVerb}
                                    : sweep.split(',')) {
    for (const QByteArray syscall :
         {"openat", "read", "getdents64", "ioctl", "pread64", "pwrite64", "write", "newfstatat",
          "fstat", "readlink", "flock", "wait4", "poll", "fdatasync"}) {
      Row row{QStringLiteral("sweep"), verb, syscall, syscall == "write" ? "ENOSPC" : "EIO"};
      row.expect = "any";
      const Scene dry(verb);
      const qsizetype calls = runTraced(dry, verb, traceOptions(row, dry, 0)).calls.size();
      for (qsizetype when = 1; when <= calls; ++when) {
        row.match = "#" + QByteArray::number(when);
        rows.faults << row;
      }
    }
  }
  return rows;
}

TEST_F(FaultInjection, NoGuardPassesOnAnErrorAndEveryReasonIsTrue) {
  const Rows rows = rowsToRun();
  ASSERT_FALSE(rows.faults.isEmpty());
  // Which call a row means is found in a run without a fault, shared by the
  // rows that trace the same calls.
  std::map<QByteArray, QStringList> untouched;
  QStringList table;
  for (const Row& row : rows.faults) {
    SCOPED_TRACE(row.where.toStdString() + ": " + row.verb.toStdString() + ", " +
                 row.syscall.toStdString() + " " + row.fault.toStdString() + " on " +
                 row.path.toStdString() + " " + row.match.toStdString());
    // Where the run made its calls in another order than the one without a
    // fault (a tool's output read in other pieces, or one progress event more
    // or less: the capacity test draws its samples anew each run, and their
    // sizes move where a percent is crossed), it is tried again.
    bool hit = false;
    for (int attempt = 0; attempt < 8 && !hit; ++attempt) {
      const QByteArray key =
          row.verb + ' ' + row.syscall + ' ' + row.path + (row.children ? " children" : "");
      if (!row.match.isEmpty() && !row.match.startsWith('#') &&
          (attempt > 0 || !untouched.count(key))) {
        const Scene dry(row.verb);
        ASSERT_TRUE(dry.ready()) << "no loop drive";
        untouched[key] = runTraced(dry, row.verb, traceOptions(row, dry, 0)).calls;
      }
      const bool counted = row.match.startsWith('#');
      const int when = row.match.isEmpty() ? 1
                       : counted           ? row.match.mid(1).toInt()
                                           : occurrence(untouched[key], row.match);
      ASSERT_GT(when, 0) << "the helper makes no such call; without a fault it made these:\n"
                         << untouched[key].join(QLatin1Char('\n')).toStdString();
      const Scene scene(row.verb);
      ASSERT_TRUE(scene.ready()) << "no loop drive";
      const QString before = scene.disk.hash();
      const Traced run = runTraced(scene, row.verb, traceOptions(row, scene, when));
      const QStringList injected = run.calls.filter(QStringLiteral("(INJECTED)"));
      hit = counted ? !injected.isEmpty()
                    : injected.size() == 1 &&
                          (row.match.isEmpty() || injected[0].contains(matchText(row.match)));
      if (!hit) continue;
      const QString outcome = judge(row, scene, before, run, rows.never);
      table << QStringLiteral("%1 %2").arg(row.syscall, row.fault).leftJustified(17) + ' ' +
                   QString::fromUtf8(row.verb).leftJustified(6) + ' ' +
                   QString::fromUtf8(row.path.isEmpty() ? row.match : row.path + ' ' + row.match)
                       .leftJustified(42) +
                   ' ' + outcome;
    }
    EXPECT_TRUE(hit) << "the fault never reached the call the row names";
  }
  std::cout << "  system call       verb   call                                       outcome\n  "
            << table.join(QStringLiteral("\n  ")).toStdString() << "\n";
}

}  // namespace
}  // namespace tessaro::security
