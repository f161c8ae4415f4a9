// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/TypedEvent.h"

namespace tessaro {

std::optional<contract::HelperEvent> typedEvent(const HelperEvent& event) {
  return contract::HelperEvent::fromJson(event.json().toStdString());
}

}  // namespace tessaro
