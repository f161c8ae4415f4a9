// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/LogQueue.h"

namespace tessaro {

LogQueue::LogQueue(qsizetype shownLineLimit)
    : shownLineLimit_(std::max<qsizetype>(shownLineLimit, 1)) {}

bool LogQueue::push(const QStringList& lines, bool mayWait) {
  QMutexLocker lock(&mutex_);
  if (mayWait) {
    while (characters_ > waitingCharacterLimit) drained_.wait(&mutex_);
  }
  for (const QString& line : lines) {
    waiting_.push_back(line);
    characters_ += line.size() + 1;
  }
  if (deliveryArranged_ || waiting_.empty()) return false;
  deliveryArranged_ = true;
  return true;
}

LogQueue::Piece LogQueue::take(qsizetype maxLines, qsizetype maxCharacters) {
  Piece piece;
  QMutexLocker lock(&mutex_);
  const qsizetype excess = qsizetype(waiting_.size()) - shownLineLimit_;
  for (qsizetype i = 0; i < std::min(excess, unshownPerPiece); ++i) {
    characters_ -= waiting_.front().size() + 1;
    piece.unshown << std::move(waiting_.front());
    waiting_.pop_front();
  }
  // Lines are shown only once none of them is pushed out at once.
  const bool shown = qsizetype(waiting_.size()) <= shownLineLimit_;
  qsizetype characters = 0;
  while (shown && !waiting_.empty() && piece.lines.size() < std::max<qsizetype>(maxLines, 1) &&
         (piece.lines.isEmpty() || characters + waiting_.front().size() < maxCharacters)) {
    characters += waiting_.front().size() + 1;
    piece.lines << std::move(waiting_.front());
    waiting_.pop_front();
  }
  characters_ -= characters;
  piece.more = !waiting_.empty();
  deliveryArranged_ = piece.more;
  drained_.wakeAll();
  return piece;
}

bool LogQueue::isEmpty() const {
  QMutexLocker lock(&mutex_);
  return waiting_.empty();
}

}  // namespace tessaro
