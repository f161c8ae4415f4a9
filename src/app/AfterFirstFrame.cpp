// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/AfterFirstFrame.h"

#include <QEvent>
#include <QTimer>

namespace tessaro {

AfterFirstFrame::AfterFirstFrame(QWidget& window, std::function<void()> work)
    : QObject(&window), window_(window), work_(std::move(work)) {
  window_.installEventFilter(this);
}

bool AfterFirstFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_ && event->type() == QEvent::Paint) {
    window_.removeEventFilter(this);
    // After the paint that is under way, and the frame's flush with it.
    QTimer::singleShot(0, this, [this] {
      work_();
      deleteLater();
    });
  }
  return false;
}

}  // namespace tessaro
