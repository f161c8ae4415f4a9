// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/HelperOutput.h"

#include <utility>

#include "contract/HelperContract.h"
#include "exec/TypedEvent.h"

namespace tessaro {

PrivilegedOutput HelperOutput::reader() {
  return {[this](const QStringList& lines) { read(lines); },
          [this](const HelperEvent& event) { take(event); }};
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

void HelperOutput::take(const HelperEvent& event) {
  if (event.kind() == HelperEvent::Kind::failure) {
    failure_ = event;
    notShown_ = cancelledLine();
  }
  if (onEvent_) onEvent_(event);
}

QString HelperOutput::cancelledLine() const {
  const std::optional<contract::HelperEvent> typed =
      failure_ ? typedEvent(*failure_) : std::nullopt;
  const contract::FailureEvent* told = typed ? typed->get<contract::FailureEvent>() : nullptr;
  if (!told || told->kind != HelperContract::failureKind(HelperContract::cancelled)) return {};
  return QString::fromStdString(told->message);
}

}  // namespace tessaro
