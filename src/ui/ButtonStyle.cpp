// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/ButtonStyle.h"

#include <algorithm>

namespace tessaro {

namespace {
double between(double released, double held, double pressed) {
  return released + (held - released) * std::clamp(pressed, 0.0, 1.0);
}
}  // namespace

QSizeF ButtonStyle::bodySize(QSizeF label) const {
  return {std::max(minimumWidth(), label.width() + 2 * horizontalInset()),
          label.height() + 2 * verticalInset()};
}

double PrimaryButtonStyle::fillOpacity(double pressed) const {
  return between(0.10, 0.12, pressed);
}

double PrimaryButtonStyle::outlineOpacity(double pressed) const {
  return between(0.18, 0.30, pressed);
}

double FlatButtonStyle::fillOpacity(double pressed) const { return between(0.04, 0.06, pressed); }

}  // namespace tessaro
