// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QWaitCondition>
#include <deque>

namespace tessaro {

// Lines on their way into the status log: handed over from any thread, taken
// on the window's thread a bounded piece at a time. A thread other than the
// window's waits while too much is waiting, so that a flood of output never
// piles up in memory.
class LogQueue {
 public:
  // A thread that may wait does so while more than this many characters wait.
  static constexpr qsizetype waitingCharacterLimit = 4'000'000;

  // Adds lines at the end, after waiting while too much waits when mayWait.
  // True when no delivery was arranged yet: the caller arranges one, which
  // stays arranged until endDelivery says so. So one delivery at most is on
  // its way at any time.
  bool push(const QStringList& lines, bool mayWait);

  struct Piece {
    // The oldest lines: at most maxLines and, beyond the first, maxCharacters characters.
    QStringList lines;
    // Lines are still waiting.
    bool more = false;
  };
  Piece take(qsizetype maxLines, qsizetype maxCharacters);

  // The arranged delivery ends: true when lines are waiting, and then it
  // stays arranged (the caller arranges its next turn); false when none are,
  // and the next push arranges one.
  bool endDelivery();

  bool isEmpty() const;

 private:
  mutable QMutex mutex_;
  QWaitCondition drained_;
  std::deque<QString> waiting_;
  qsizetype characters_ = 0;
  bool deliveryArranged_ = false;
};

}  // namespace tessaro
