// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/HelperOutput.h"

#include <utility>

#include "contract/HelperContract.h"

namespace tessaro {

PrivilegedOutput HelperOutput::reader() {
  return {[this](const QStringList& lines) { read(lines); },
          [this](const contract::HelperEvent& event) { take(event); }};
}

void HelperOutput::read(const QStringList& lines) {
  QStringList shown = lines;
  // The helper's cancel line, which follows its event, is said once: as the
  // job's last line.
  if (!notShown_.isEmpty() && !shown.isEmpty()) {
    if (shown.first() == notShown_) shown.removeFirst();
    notShown_.clear();
  }
  if (!shown.isEmpty() && showLines_) showLines_(shown);
}

void HelperOutput::take(const contract::HelperEvent& event) {
  if (const auto* told = event.get<contract::FailureEvent>()) {
    failure_ = *told;
    notShown_ = cancelledLine();
  }
  if (onEvent_) onEvent_(event);
}

QString HelperOutput::cancelledLine() const {
  if (!failure_ || failure_->kind != HelperContract::failureKind(HelperContract::cancelled))
    return {};
  return QString::fromStdString(failure_->message);
}

}  // namespace tessaro
