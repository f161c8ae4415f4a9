// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/LogQueue.h"

namespace tessaro {

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
  qsizetype characters = 0;
  while (!waiting_.empty() && piece.lines.size() < std::max<qsizetype>(maxLines, 1) &&
         (piece.lines.isEmpty() || characters + waiting_.front().size() < maxCharacters)) {
    characters += waiting_.front().size() + 1;
    piece.lines << std::move(waiting_.front());
    waiting_.pop_front();
  }
  characters_ -= characters;
  piece.more = !waiting_.empty();
  if (characters > 0) drained_.wakeAll();
  return piece;
}

bool LogQueue::endDelivery() {
  QMutexLocker lock(&mutex_);
  deliveryArranged_ = !waiting_.empty();
  return deliveryArranged_;
}

bool LogQueue::isEmpty() const {
  QMutexLocker lock(&mutex_);
  return waiting_.empty();
}

}  // namespace tessaro
