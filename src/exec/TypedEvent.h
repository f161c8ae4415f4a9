// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>

#include "contract/HelperEvent.h"
#include "exec/HelperEvent.h"

namespace tessaro {

// An event of the helper as its codec reads it (contract::HelperEvent): the
// one place where the application turns what the helper told into the
// contract's types. None where the codec, which is strict, finds no event.
std::optional<contract::HelperEvent> typedEvent(const HelperEvent& event);

}  // namespace tessaro
