// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/BatchBoard.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "exec/VisibleText.h"

namespace tessaro {

BatchBoard::BatchBoard(CliOutput& output, QStringList names)
    : output_(output), names_(std::move(names)), rows_(names_.size()) {
  for (const QString& name : names_) nameWidth_ = std::max(nameWidth_, name.size());
  winsize size{};
  if (output_.isTerminal() && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20)
    columns_ = size.ws_col;
}

void BatchBoard::line(qsizetype index, const QString& text, bool tool) {
  QMutexLocker lock(&mutex_);
  if (output_.isTerminal() && !closed_) {
    if (text.trimmed().isEmpty()) return;
    rows_[index] = text;
    redraw();
    return;
  }
  const QString prefixed = names_[index] + QStringLiteral(": ") + text;
  if (tool)
    output_.toolLines({prefixed});
  else
    output_.line(prefixed);
}

void BatchBoard::progress(qsizetype index, const QString& text, bool steps) {
  QMutexLocker lock(&mutex_);
  if (output_.isTerminal() && !closed_) {
    rows_[index] = text;
    redraw();
  } else if (!steps) {
    output_.line(names_[index] + QStringLiteral(": ") + text);
  }
}

void BatchBoard::outcome(qsizetype index, const QString& text) {
  QMutexLocker lock(&mutex_);
  if (!output_.isTerminal() || closed_) return;
  rows_[index] = text;
  redraw();
}

void BatchBoard::error(qsizetype index, const QString& text) {
  QMutexLocker lock(&mutex_);
  // Above the drives' lines, which are drawn again below it.
  const bool drawn = output_.isTerminal() && !closed_ && drawn_ > 0;
  if (drawn) clear();
  output_.errorLine(QStringLiteral("tessaro-cli: ") + names_[index] + QStringLiteral(": ") + text);
  if (drawn) redraw();
}

void BatchBoard::close() {
  QMutexLocker lock(&mutex_);
  closed_ = true;
}

void BatchBoard::clear() {
  output_.text(QStringLiteral("\x1b[%1A\r\x1b[J").arg(drawn_));
  drawn_ = 0;
}

void BatchBoard::redraw() {
  QString text;
  if (drawn_ > 0) text += QStringLiteral("\x1b[%1A").arg(drawn_);
  for (qsizetype i = 0; i < names_.size(); ++i) {
    // One terminal line each, or the lines above would be counted wrong.
    QString row = names_[i].leftJustified(nameWidth_) + QStringLiteral("  ") +
                  QString::fromStdString(visibleText(rows_[i].toStdString(), LineFeeds::escape));
    if (row.size() >= columns_) row = row.left(columns_ - 2) + QChar(0x2026);
    text += QStringLiteral("\r\x1b[K") + row + QLatin1Char('\n');
  }
  output_.text(text);
  drawn_ = names_.size();
}

}  // namespace tessaro
