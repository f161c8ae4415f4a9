// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/HelperOutput.h"

#include <utility>

#include "contract/HelperContract.h"

namespace tessaro {

LineHandler HelperOutput::reader() {
  return [this](const QStringList& lines) { read(lines); };
}

void HelperOutput::read(const QStringList& lines) {
  QStringList shown;
  for (const QString& line : lines) {
    if (!HelperEvent::isEventLine(line)) {
      shown << line;
      continue;
    }
    const std::optional<HelperEvent> event = HelperEvent::fromLine(line);
    if (!event) continue;
    // Lines before an event are shown before it is acted on.
    if (!shown.isEmpty() && showLines_) showLines_(std::exchange(shown, {}));
    if (event->kind() == HelperEvent::Kind::failure) failure_ = event;
    if (onEvent_) onEvent_(*event);
  }
  if (!shown.isEmpty() && showLines_) showLines_(shown);
}

bool HelperOutput::saidCancelled() const {
  return failure_ && failure_->fields().value(QStringLiteral("kind")).toString() ==
                         QLatin1StringView(HelperContract::failureKind(HelperContract::cancelled));
}

}  // namespace tessaro
