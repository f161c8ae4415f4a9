// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ChildRun.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <map>

#include "contract/HelperContract.h"

extern char** environ;

namespace tessaro::test {

namespace {

// Every process below root, from /proc.
QList<pid_t> descendantsOf(pid_t root) {
  std::multimap<pid_t, pid_t> children;
  const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
  for (const QString& entry : entries) {
    bool isPid = false;
    const pid_t pid = entry.toInt(&isPid);
    if (!isPid) continue;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    const QByteArray text = stat.readAll();
    // "pid (comm) state ppid ...": comm may hold blanks and parentheses.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() > 1) children.emplace(fields[1].toInt(), pid);
  }
  QList<pid_t> found;
  QList<pid_t> queue{root};
  while (!queue.isEmpty()) {
    const pid_t parent = queue.takeFirst();
    for (auto [it, end] = children.equal_range(parent); it != end; ++it) {
      found << it->second;
      queue << it->second;
    }
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

void writeAll(int fd, const char* text) {
  [[maybe_unused]] auto n = ::write(fd, text, std::strlen(text));
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

ChildRun::ChildRun(const QString& program, const QByteArrayList& args, const Setup& setup)
    : program_(program.contains(QLatin1Char('/')) ? program
                                                  : QStandardPaths::findExecutable(program)) {
  if (setup.helperFrames) frames_.emplace();
  if (!workDir_.isValid() || !scratch_.isValid() || program_.isEmpty()) return;
  const QByteArray workDir = QFile::encodeName(workDir_.path());
  QByteArray cover;
  const QByteArray hiddenTool = QFile::encodeName(setup.hiddenTool);
  if (!setup.toolStandIn.isEmpty()) {
    cover = QFile::encodeName(setup.toolStandIn);
  } else if (!setup.hiddenTool.isEmpty()) {
    QFile empty(scratch_.filePath(QStringLiteral("not-a-program")));
    if (!empty.open(QIODevice::WriteOnly)) return;
    empty.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    cover = QFile::encodeName(empty.fileName());
  }

  QByteArrayList argStorage{QFile::encodeName(program_)};
  argStorage << args;
  std::vector<char*> argv;
  for (QByteArray& arg : argStorage) argv.push_back(arg.data());
  argv.push_back(nullptr);
  QByteArrayList envStorage = environmentFor(setup);
  std::vector<char*> envp;
  for (QByteArray& entry : envStorage) envp.push_back(entry.data());
  envp.push_back(nullptr);

  int in[2], out[2], err[2];
  QByteArray terminalName;
  if (setup.terminal) {
    terminal_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal_ < 0 || ::grantpt(terminal_) != 0 || ::unlockpt(terminal_) != 0) return;
    terminalName = ::ptsname(terminal_);
  }
  int outputFile = -1;
  if (!setup.outputFile.isEmpty()) {
    outputFile = ::open(QFile::encodeName(setup.outputFile).constData(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (outputFile < 0) return;
  }
  if (::pipe2(in, O_CLOEXEC) != 0) return;
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
  pid_ = ::fork();
  if (pid_ == 0) {
    // Only async-signal-safe calls from here on. The child starts with
    // SIGPIPE as any program does, whatever the test process ignores.
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(in[0], 0);
    if (!terminalName.isEmpty()) {
      // A session of its own whose controlling terminal is the new one; as
      // its leader, the child is the terminal's foreground process group.
      const int slave = ::setsid() < 0 ? -1 : ::open(terminalName.constData(), O_RDWR);
      if (slave < 0 || ::ioctl(slave, TIOCSCTTY, 0) != 0 || ::dup2(slave, 0) < 0) {
        writeAll(2, "test: cannot make the terminal the child's own\n");
        ::_exit(120);
      }
    }
    ::dup2(outputFile >= 0 ? outputFile : out[1], 1);
    ::dup2(setup.mergeErrorOutput ? 1 : err[1], 2);
    if (::chdir(workDir.constData()) != 0) {
      writeAll(2, "test: cannot enter the working directory\n");
      ::_exit(120);
    }
    if (!hiddenTool.isEmpty()) {
      if (::unshare(CLONE_NEWNS) != 0 ||
          ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          ::mount(cover.constData(), hiddenTool.constData(), nullptr, MS_BIND, nullptr) != 0) {
        writeAll(2, "test: cannot hide the tool in a private mount namespace\n");
        ::_exit(120);
      }
    }
    ::execve(argv[0], argv.data(), envp.data());
    writeAll(2, "test: cannot start the program\n");
    ::_exit(127);
  }
  if (outputFile >= 0) ::close(outputFile);
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  stdin_ = in[1];
  stdout_ = out[0];
  stderr_ = err[0];
  if (pid_ < 0) {
    ::close(stdout_);
    ::close(stderr_);
    stdout_ = stderr_ = -1;
  }
  if (pid_ > 0 && setup.input) {
    send(*setup.input);
    ::close(stdin_);
    stdin_ = -1;
  }
}

ChildRun::~ChildRun() {
  if (pid_ > 0) killAll();
  for (int fd : {stdin_, stdout_, stderr_, terminal_}) {
    if (fd >= 0) ::close(fd);
  }
}

ChildRun::Result ChildRun::run(const QString& program, const QByteArrayList& args,
                               const Setup& setup, int timeoutMs) {
  ChildRun child(program, args, setup);
  return child.finish(timeoutMs);
}

bool ChildRun::pump(int timeoutMs) {
  pollfd fds[2];
  nfds_t count = 0;
  for (int fd : {stdout_, stderr_}) {
    if (fd >= 0) fds[count++] = {fd, POLLIN, 0};
  }
  if (count == 0) return false;
  if (::poll(fds, count, timeoutMs) <= 0) return true;
  for (nfds_t i = 0; i < count; ++i) {
    if (fds[i].revents == 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
    const bool isOut = fds[i].fd == stdout_;
    if (n <= 0) {
      ::close(fds[i].fd);
      (isOut ? stdout_ : stderr_) = -1;
      continue;
    }
    (isOut ? outBuffer_ : errBuffer_).append(buffer, n);
    if (isOut) output_.append(buffer, n);
  }
  takeLines(false);
  return stdout_ >= 0 || stderr_ >= 0;
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
  QDeadlineTimer deadline(timeoutMs);
  while (true) {
    while (linesSeen_ < lines_.size()) {
      const QString& line = lines_[linesSeen_++];
      if (accept(line)) return line;
    }
    if (deadline.hasExpired() || !pump(int(std::max<qint64>(1, deadline.remainingTime())))) {
      // The output may have ended with lines still unread.
      if (linesSeen_ < lines_.size()) continue;
      return std::nullopt;
    }
  }
}

void ChildRun::send(const QByteArray& bytes) {
  // A child that stops reading only loses what it did not read.
  ::signal(SIGPIPE, SIG_IGN);
  for (qsizetype sent = 0; stdin_ >= 0 && sent < bytes.size();) {
    const ssize_t n = ::write(stdin_, bytes.constData() + sent, size_t(bytes.size() - sent));
    if (n <= 0) break;
    sent += n;
  }
}

void ChildRun::freeze() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGSTOP);
  waitUntilStopped(pid_);
  // A child may have been forked just before; stop each until none is left running.
  for (int round = 0; round < 3; ++round) {
    for (pid_t child : descendantsOf(pid_)) {
      if (frozen_.contains(child)) continue;
      ::kill(child, SIGSTOP);
      waitUntilStopped(child);
      frozen_ << child;
    }
  }
}

void ChildRun::thaw() {
  if (pid_ <= 0) return;
  for (pid_t child : descendantsOf(pid_)) ::kill(child, SIGCONT);
  ::kill(pid_, SIGCONT);
  frozen_.clear();
}

bool ChildRun::running() const {
  const char state = pid_ > 0 ? processState(pid_) : '?';
  return state != '?' && state != 'Z' && state != 'X';
}

void ChildRun::typeAtTerminal(const QByteArray& keys) {
  if (terminal_ < 0) return;
  [[maybe_unused]] const auto n = ::write(terminal_, keys.constData(), size_t(keys.size()));
}

void ChildRun::hangUpTerminal() {
  if (terminal_ >= 0) ::close(terminal_);
  terminal_ = -1;
}

void ChildRun::killAll() {
  ::kill(pid_, SIGSTOP);
  for (pid_t child : descendantsOf(pid_)) ::kill(child, SIGKILL);
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

ChildRun::Result ChildRun::finish(int timeoutMs) {
  Result result;
  if (pid_ <= 0) {
    result.errorOutput = QStringLiteral("test: %1 could not be started")
                             .arg(program_.isEmpty() ? QStringLiteral("the program") : program_);
    return result;
  }
  QDeadlineTimer deadline(timeoutMs);
  while (!deadline.hasExpired() && pump(int(std::max<qint64>(1, deadline.remainingTime())))) {
  }
  int raw = 0;
  pid_t ended = 0;
  while ((ended = ::waitpid(pid_, &raw, WNOHANG)) == 0 && !deadline.hasExpired()) {
    QThread::msleep(5);
  }
  if (ended == pid_) {
    pid_ = -1;
    if (WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) result.signal = WTERMSIG(raw);
  } else {
    result.timedOut = true;
    killAll();
  }
  if (stdin_ >= 0) ::close(stdin_);
  stdin_ = -1;
  takeLines(true);
  result.output = QString::fromUtf8(output_);
  result.lines = lines_;
  result.errorOutput = QString::fromUtf8(errBuffer_);
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
