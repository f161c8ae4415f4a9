// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>

#include "exec/VisibleText.h"

namespace tessaro {

// Where tessaro-cli writes: whole lines, UTF-8, written at once so that a
// pipe sees each line as it happens. Lines may carry text from a drive, so
// control characters in them are written as visible escapes (visibleText).
// Safe to call from any thread.
//
// Tessaro's own symbols are written only when standard output is a terminal
// and the locale's character set is UTF-8; elsewhere its lines are written as
// PlainText. What a tool printed is written as the tool printed it, emoji and
// U+FFFD (a byte that was no UTF-8) included. A write to standard output that
// fails ends all further output
// there: a closed pipe silently, any other error (a full disk, an I/O error)
// with one line on standard error. failure() says which, for the exit.
class CliOutput {
 public:
  enum class Failure { none, closedPipe, writeFailed };

  explicit CliOutput(FILE* out = stdout, FILE* err = stderr);

  // Tessaro's own lines.
  void line(const QString& text) { write(out_, visible(text) + QLatin1Char('\n')); }
  void lines(const QStringList& texts) {
    for (const QString& text : texts) line(text);
  }
  // Lines a tool printed, or text a drive reports, as they are.
  void toolLines(const QStringList& texts) {
    for (const QString& text : texts)
      write(out_, visible(text) + QLatin1Char('\n'), Symbols::asPrinted);
  }
  // Without a line break added: help text.
  void text(const QString& text) { write(out_, text); }
  // A JSON document as it is: what a drive or a tool calls something reaches
  // a script unchanged, symbols and all, on a terminal or not.
  void document(const QString& text) { write(out_, text, Symbols::asPrinted); }
  // Whether standard output is a terminal, where a line can be redrawn.
  bool isTerminal() const { return terminal_; }
  // Replaces the terminal's current line with text, without a line break.
  void redraw(const QString& text) {
    write(out_, QStringLiteral("\r\x1b[K") + visible(text, LineFeeds::escape));
  }
  // Failures, refusals, warnings and questions to the user.
  void errorLine(const QString& text) { write(err_, visible(text) + QLatin1Char('\n')); }

  // Whether lines keep their emoji; set by the constructor from the stream
  // and the locale.
  bool symbols() const { return symbols_; }
  void setSymbols(bool symbols) { symbols_ = symbols; }

  Failure failure() const;
  // Called once, on the writing thread, when standard output first fails:
  // whatever runs should stop, since nobody reads what it says.
  void onFailure(std::function<void()> stop) { onFailure_ = std::move(stop); }

 private:
  enum class Symbols { own, asPrinted };
  // visibleText of text, which the terminal is given as UTF-8.
  static QString visible(const QString& text, LineFeeds lineFeeds = LineFeeds::keep) {
    return QString::fromStdString(visibleText(text.toStdString(), lineFeeds));
  }
  void write(FILE* stream, const QString& text, Symbols symbols = Symbols::own);

  FILE* out_;
  FILE* err_;
  bool terminal_ = false;
  bool symbols_ = false;
  Failure failure_ = Failure::none;
  std::function<void()> onFailure_;
  mutable QMutex mutex_;
};

}  // namespace tessaro
