// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "drives/Wording.h"

namespace tessaro {

// The shared model's texts as the window and tessaro-cli show them: in the
// language of the installed translation, numbers grouped as it says.
class TranslatedWording : public Wording {
 public:
  std::string translated(const char* context, const char* text) const override;
  std::string grouped(std::int64_t number) const override;
};

}  // namespace tessaro
