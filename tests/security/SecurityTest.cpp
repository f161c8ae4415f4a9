// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "SecurityTest.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include "Capability.h"

namespace tessaro::security {

namespace {

QStringList wordsOf(const QString& commandLine) {
  return commandLine.mid(2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString unquoted(QString word) {
  if (word.size() >= 2 && (word.front() == QLatin1Char('\'') || word.front() == QLatin1Char('"')) &&
      word.back() == word.front()) {
    word = word.mid(1, word.size() - 2);
  }
  return word;
}

bool readsOnly(const QString& commandLine) {
  const QString program = QFileInfo(programOf(commandLine)).fileName();
  QStringList options;
  for (const QString& word : wordsOf(commandLine).mid(1)) options << unquoted(word);
  const auto anyOf = [&](const QStringList& wanted) {
    for (const QString& option : options) {
      if (wanted.contains(option)) return true;
    }
    return false;
  };
  static const QStringList readers{"lsblk", "blkid", "findmnt", "udevadm", "stat", "cat", "file"};
  if (readers.contains(program)) return true;
  if (program == QLatin1String("sfdisk")) {
    return anyOf(
        {"--dump", "-d", "--json", "-J", "--list", "-l", "--show-size", "-s", "--verify", "-V"});
  }
  if (program == QLatin1String("partx")) return anyOf({"--show", "-s"});
  if (program == QLatin1String("fsck.fat") || program == QLatin1String("fsck.vfat") ||
      program == QLatin1String("dosfsck")) {
    static const QRegularExpression noWrite(QStringLiteral("^-[A-Za-z]*n[A-Za-z]*$"));
    for (const QString& option : options) {
      if (noWrite.match(option).hasMatch()) return true;
    }
  }
  return false;
}

}  // namespace

void SecurityTest::SetUp() {
  if (const std::string why = test::missingLoopDevices(); !why.empty()) {
    GTEST_SKIP() << why << ": these tests attack the root helper on loop devices";
  }
  ASSERT_TRUE(QFileInfo(TESSARO_HELPER_BUILD_PATH).isExecutable())
      << "no helper at " << TESSARO_HELPER_BUILD_PATH;
}

QStringList commandLines(const QStringList& lines) {
  return lines.filter(QRegularExpression(QStringLiteral("^\\$ ")));
}

QString programOf(const QString& commandLine) { return unquoted(wordsOf(commandLine).value(0)); }

QStringList writingCommands(const QStringList& lines) {
  QStringList writing;
  for (const QString& command : commandLines(lines)) {
    if (!readsOnly(command)) writing << command;
  }
  return writing;
}

int holdOpen(const QString& path, bool lock) {
  const int fd =
      ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | (lock ? 0 : O_EXCL));
  if (lock && fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool canHold(const QString& path, bool lock) {
  const int fd = holdOpen(path, lock);
  if (fd >= 0) ::close(fd);
  return fd >= 0;
}

QByteArray expanded(QByteArray text, const std::map<QByteArray, QString>& names) {
  for (const auto& [key, value] : names) text.replace("{" + key + "}", value.toUtf8());
  return text;
}

Told toldBy(const QStringList& lines) {
  Told told;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const auto event = contract::HelperEvent::fromLine(lines[i].toStdString());
    if (!event) continue;
    if (const auto* failure = event->get<contract::FailureEvent>()) {
      told.failure = *failure;
      told.failureLine = lines.value(i + 1);
    }
    if (const auto* finished = event->get<contract::FinishedEvent>())
      told.finished[event->disk().value_or("")] = finished->status;
    const auto* progress = event->get<contract::ProgressEvent>();
    told.progressDone |= progress && progress->fraction >= 1;
    told.result |= event->isResult();
  }
  return told;
}

std::string describe(const HelperRun::Result& result) {
  QString text = QStringLiteral("helper ended with ") +
                 (result.timedOut ? QStringLiteral("no exit: killed after the time limit")
                                  : QStringLiteral("status %1").arg(result.status)) +
                 QStringLiteral("; it printed:\n  ") + result.lines.join(QStringLiteral("\n  "));
  if (!result.errorOutput.isEmpty()) {
    text += QStringLiteral("\n and on standard error:\n  ") + result.errorOutput.trimmed();
  }
  return text.toStdString();
}

}  // namespace tessaro::security
