// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <unistd.h>

#include <QMutex>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "exec/VisibleText.h"

namespace tessaro {

// Where tessaro-cli writes: whole lines, UTF-8, flushed at once so that a
// pipe sees each line as it happens. Lines may carry text from a drive, so
// control characters in them are written as visible escapes (visibleText).
// Safe to call from any thread.
class CliOutput {
 public:
  explicit CliOutput(FILE* out = stdout, FILE* err = stderr) : out_(out), err_(err) {}

  void line(const QString& text) { write(out_, visibleText(text) + QLatin1Char('\n')); }
  void lines(const QStringList& texts) {
    for (const QString& text : texts) line(text);
  }
  // Without a line break added: JSON documents, help text.
  void text(const QString& text) { write(out_, text); }
  // Whether standard output is a terminal, where a line can be redrawn.
  bool isTerminal() const { return isatty(fileno(out_)) == 1; }
  // Replaces the terminal's current line with text, without a line break.
  void redraw(const QString& text) {
    write(out_, QStringLiteral("\r\x1b[K") + visibleText(text, LineFeeds::escape));
  }
  // Problems with the command line itself, and questions to the user.
  void errorLine(const QString& text) { write(err_, visibleText(text) + QLatin1Char('\n')); }

 private:
  void write(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    QMutexLocker lock(&mutex_);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
  }

  FILE* out_;
  FILE* err_;
  QMutex mutex_;
};

}  // namespace tessaro
