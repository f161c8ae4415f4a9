// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/FinishNotice.h"

#include "ui/DesktopNotification.h"

namespace tessaro {

void FinishNotice::setNotifier(Notifier notify, std::chrono::milliseconds longerThan) {
  notify_ = std::move(notify);
  longerThan_ = longerThan;
}

void FinishNotice::send(Action action, bool succeeded, const QString& lastLine) const {
  QString summary;
  switch (action) {
    case Action::format:
      summary = succeeded ? tr("Format finished") : tr("Format did not finish");
      break;
    case Action::capacityTest:
      summary = succeeded ? tr("Capacity test finished") : tr("Capacity test did not finish");
      break;
    case Action::check:
      summary = succeeded ? tr("Check finished") : tr("Check did not finish");
      break;
  }
  if (notify_) {
    notify_(summary, lastLine);
  } else {
    DesktopNotification::send(summary, lastLine);
  }
}

}  // namespace tessaro
