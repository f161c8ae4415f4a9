// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ChildRun.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include "contract/HelperContract.h"

extern char** environ;

namespace tessaro::test {

namespace {

// Every process below root, from the children each of its threads has (/proc).
QList<pid_t> descendantsOf(pid_t root) {
  QList<pid_t> found;
  const QString tasks = QStringLiteral("/proc/%1/task").arg(root);
  for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile children(tasks + QLatin1Char('/') + task + QStringLiteral("/children"));
    if (!children.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& word : children.readAll().split(' '))
      if (const pid_t child = word.toInt(); child > 0) found << child << descendantsOf(child);
  }
  return found;
}

char processState(pid_t pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return '?';
  const QByteArray text = stat.readAll();
  const qsizetype at = text.lastIndexOf(')') + 2;
  return at < text.size() ? text[at] : '?';
}

void waitUntilStopped(pid_t pid) {
  QDeadlineTimer deadline(2000);
  while (!deadline.hasExpired()) {
    const char state = processState(pid);
    if (state == 'T' || state == 't' || state == 'Z' || state == '?') return;
    QThread::msleep(2);
  }
}

QByteArrayList environmentFor(const ChildRun::Setup& setup) {
  QByteArrayList entries;
  if (setup.environment) {
    entries = *setup.environment;
  } else {
    for (char** entry = environ; *entry; ++entry) entries << QByteArray(*entry);
  }
  for (const QByteArray& change : setup.environmentChanges) {
    const QByteArray name = change.left(change.indexOf('=')) + '=';
    entries.removeIf([&](const QByteArray& entry) { return entry.startsWith(name); });
    if (change.contains('=')) entries << change;
  }
  return entries;
}

}  // namespace

QByteArrayList argumentsOf(const QStringList& args) {
  QByteArrayList bytes;
  for (const QString& arg : args) bytes << arg.toUtf8();
  return bytes;
}

// The child is started as the application starts a program (ChildProcess),
// through the system's own tools for what a caller of the helper may do and
// the application never does, each of which runs the next in its place:
// sh opens the terminal as its standard input (as a session's leader, the
// terminal becomes its own and its group the foreground one) or sends
// standard output to a file; unshare and mount give it a private mount
// namespace with a tool covered; env sets its environment and working
// directory.
std::vector<std::string> ChildRun::command(const QByteArrayList& args, const Setup& setup) {
  QByteArrayList command;
  if (terminal_ >= 0) {
    command = {"/bin/sh", "-c", R"(exec "$@" 0<>"$0")", ::ptsname(terminal_)};
  } else if (!setup.outputFile.isEmpty()) {
    command = {"/bin/sh", "-c", R"(exec "$@" >"$0")", QFile::encodeName(setup.outputFile)};
  }
  if (!setup.hiddenTool.isEmpty()) {
    QByteArray cover = QFile::encodeName(setup.toolStandIn);
    if (cover.isEmpty()) {
      QFile empty(scratch_.filePath(QStringLiteral("not-a-program")));
      if (!empty.open(QIODevice::WriteOnly)) return {};
      empty.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
      cover = QFile::encodeName(empty.fileName());
    }
    command << "/usr/bin/unshare"
            << "--mount"
            << "--propagation"
            << "private"
            << "/bin/sh"
            << "-c"
            << R"(/usr/bin/mount --bind "$0" "$1" || exit 120; shift; exec "$@")" << cover
            << QFile::encodeName(setup.hiddenTool);
  }
  command << "/usr/bin/env"
          << "-i"
          << "-C" << QFile::encodeName(workDir_.path());
  for (const QByteArray& entry : environmentFor(setup)) {
    if (entry.contains('=') && !entry.startsWith('=')) command << entry;
  }
  std::vector<std::string> words;
  for (const QByteArray& word : command << QFile::encodeName(program_) << args)
    words.push_back(word.toStdString());
  return words;
}

ChildRun::ChildRun(const QString& program, const QByteArrayList& args, const Setup& setup)
    : program_(program.contains(QLatin1Char('/')) ? program
                                                  : QStandardPaths::findExecutable(program)) {
  if (setup.helperFrames) frames_.emplace();
  if (!workDir_.isValid() || !scratch_.isValid() || program_.isEmpty()) return;
  if (setup.terminal) {
    terminal_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal_ < 0 || ::grantpt(terminal_) != 0 || ::unlockpt(terminal_) != 0) return;
  }
  std::vector<std::string> words = command(args, setup);
  if (words.empty()) return;
  process_.emplace(std::move(words), setup.mergeErrorOutput ? ChildProcess::Output::merged
                                                            : ChildProcess::Output::separate);
  process_->setHeldInput();
  if (!process_->start()) {
    startError_ = QString::fromStdString(process_->errorString());
    process_.reset();
    return;
  }
  // Written and closed before anything reads the output, as into a pipe.
  if (setup.input) {
    send(*setup.input);
    process_->closeInput();
  }
  reader_ = std::thread([this] {
    const int status = process_->run([this](std::string_view bytes) {
      const std::lock_guard lock(mutex_);
      outBuffer_.append(bytes.data(), qsizetype(bytes.size()));
      output_.append(bytes.data(), qsizetype(bytes.size()));
      takeLines(false);
      changed_.notify_all();
    });
    const std::lock_guard lock(mutex_);
    status_ = status;
    ended_ = true;
    changed_.notify_all();
  });
}

ChildRun::~ChildRun() {
  if (reader_.joinable()) {
    killAll();
    reader_.join();
  }
  if (terminal_ >= 0) ::close(terminal_);
}

ChildRun::Result ChildRun::run(const QString& program, const QByteArrayList& args,
                               const Setup& setup, int timeoutMs) {
  return ChildRun(program, args, setup).finish(timeoutMs);
}

void ChildRun::takeLines(bool atEnd) {
  if (frames_) {
    std::vector<contract::FrameReader::Frame> frames =
        frames_->feed(std::string_view(outBuffer_.constData(), size_t(outBuffer_.size())));
    outBuffer_.clear();
    if (atEnd) {
      for (contract::FrameReader::Frame& frame : frames_->finish())
        frames.push_back(std::move(frame));
    }
    for (const contract::FrameReader::Frame& frame : frames) {
      if (frame.kind == contract::FrameReader::Frame::Kind::event) {
        lines_ << QString::fromUtf8(QByteArray(HelperContract::eventPrefix) +
                                    QByteArray::fromStdString(frame.json));
      } else {
        lines_ << QString(reinterpret_cast<const QChar*>(frame.text.data()),
                          qsizetype(frame.text.size()));
      }
    }
    return;
  }
  qsizetype end;
  while ((end = outBuffer_.indexOf('\n')) >= 0) {
    lines_ << QString::fromUtf8(outBuffer_.left(end));
    outBuffer_.remove(0, end + 1);
  }
  if (atEnd && !outBuffer_.isEmpty()) lines_ << QString::fromUtf8(outBuffer_);
  if (atEnd) outBuffer_.clear();
}

std::optional<QString> ChildRun::waitForLine(const std::function<bool(const QString&)>& accept,
                                             int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock lock(mutex_);
  for (;;) {
    while (linesSeen_ < lines_.size()) {
      const QString line = lines_[linesSeen_++];
      if (accept(line)) return line;
    }
    if (ended_ || changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
      // The output may have ended with lines still unread.
      if (linesSeen_ < lines_.size()) continue;
      return std::nullopt;
    }
  }
}

void ChildRun::send(const QByteArray& bytes) {
  if (process_) process_->writeInput(std::string_view(bytes.constData(), size_t(bytes.size())));
}

pid_t ChildRun::pid() const {
  const std::lock_guard lock(mutex_);
  return process_ && !ended_ ? process_->pid() : -1;
}

void ChildRun::freeze() {
  if (pid() <= 0) return;
  ::kill(pid(), SIGSTOP);
  waitUntilStopped(pid());
  // A child may have been forked just before; stop each until none is left running.
  for (int round = 0; round < 3; ++round) {
    for (pid_t child : descendantsOf(pid())) {
      if (frozen_.contains(child)) continue;
      ::kill(child, SIGSTOP);
      waitUntilStopped(child);
      frozen_ << child;
    }
  }
}

void ChildRun::thaw() {
  if (pid() <= 0) return;
  for (pid_t child : descendantsOf(pid())) ::kill(child, SIGCONT);
  ::kill(pid(), SIGCONT);
  frozen_.clear();
}

void ChildRun::typeAtTerminal(const QByteArray& keys) {
  if (terminal_ < 0) return;
  [[maybe_unused]] const auto n = ::write(terminal_, keys.constData(), size_t(keys.size()));
}

void ChildRun::hangUpTerminal() {
  if (terminal_ >= 0) ::close(terminal_);
  terminal_ = -1;
}

// The reader reaps the child once it is gone.
void ChildRun::killAll() {
  const pid_t child = pid();
  if (child <= 0) return;
  ::kill(child, SIGSTOP);
  for (pid_t below : descendantsOf(child)) ::kill(below, SIGKILL);
  ::kill(child, SIGKILL);
}

ChildRun::Result ChildRun::finish(int timeoutMs) {
  Result result;
  if (!process_) {
    result.errorOutput =
        QStringLiteral("test: %1 could not be started %2")
            .arg(program_.isEmpty() ? QStringLiteral("the program") : program_, startError_);
    return result;
  }
  {
    std::unique_lock lock(mutex_);
    result.timedOut =
        !changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return ended_; });
  }
  if (result.timedOut) killAll();
  if (reader_.joinable()) reader_.join();
  takeLines(true);
  result.status = status_;
  result.output = QString::fromUtf8(output_);
  result.lines = lines_;
  result.errorOutput = QString::fromStdString(process_->errorOutput());
  result.leftBehind =
      QDir(workDir_.path())
          .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  return result;
}

std::pair<int, QString> runProgram(const QString& program, const QStringList& args) {
  const ChildRun::Result ran = ChildRun::run(program, argumentsOf(args), {}, 120000);
  return {ran.status, ran.output.trimmed()};
}

}  // namespace tessaro::test
