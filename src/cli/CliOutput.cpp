// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliOutput.h"

#include <langinfo.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstring>

#include "cli/CliOutputText.h"
#include "cli/PlainText.h"

namespace tessaro {

namespace {

bool localeIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

// All of bytes, or the errno that stopped it.
int writeAll(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return wrote < 0 ? errno : EIO;
    done += wrote;
  }
  return 0;
}

}  // namespace

CliOutput::CliOutput(FILE* out, FILE* err) : out_(out), err_(err) {
  terminal_ = isatty(fileno(out_)) == 1;
  symbols_ = terminal_ && localeIsUtf8();
}

CliOutput::Failure CliOutput::failure() const {
  QMutexLocker lock(&mutex_);
  return failure_;
}

void CliOutput::write(FILE* stream, const QString& text, Symbols symbols) {
  const bool plain = !symbols_ && symbols == Symbols::own;
  const QByteArray bytes = (plain ? PlainText::of(text) : text).toUtf8();
  std::function<void()> stop;
  {
    QMutexLocker lock(&mutex_);
    if (stream == out_ && failure_ != Failure::none) return;
    // Whatever went through stdio before goes first.
    std::fflush(stream);
    const int error = writeAll(fileno(stream), bytes);
    if (error == 0 || stream != out_) return;
    failure_ = error == EPIPE ? Failure::closedPipe : Failure::writeFailed;
    if (failure_ == Failure::writeFailed) {
      const QByteArray said = (QStringLiteral("tessaro-cli: ") +
                               QCoreApplication::translate("CliOutput", kCannotWriteOutput)
                                   .arg(QString::fromLocal8Bit(std::strerror(error))) +
                               QLatin1Char('\n'))
                                  .toUtf8();
      writeAll(fileno(err_), said);
    }
    stop = std::move(onFailure_);
  }
  if (stop) stop();
}

}  // namespace tessaro
