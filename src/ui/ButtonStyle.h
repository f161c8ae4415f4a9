// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QSizeF>

namespace tessaro {

// How a button turns its label and pressed state into a body: insets,
// minimum width, corner radius, fill and outline. Pure values, so the
// geometry and colours can be checked without drawing.
class ButtonStyle {
 public:
  virtual ~ButtonStyle() = default;

  virtual double verticalInset() const = 0;
  virtual double horizontalInset() const = 0;
  virtual double minimumWidth() const = 0;
  virtual double cornerRadius() const = 0;
  // White at these opacities; `pressed` runs from 0 (released) to 1 (held).
  virtual double fillOpacity(double pressed) const = 0;
  // 0 means no outline.
  virtual double outlineOpacity(double pressed) const = 0;
  // Length of the move between released and pressed; 0 switches at once.
  virtual int pressTransitionMs() const = 0;

  // The label centred in its insets, at least minimumWidth() wide.
  QSizeF bodySize(QSizeF label) const;
};

// The three action buttons: a translucent white plate with a thin outline.
class PrimaryButtonStyle : public ButtonStyle {
 public:
  double verticalInset() const override { return 10; }
  double horizontalInset() const override { return 16; }
  double minimumWidth() const override { return 160; }
  double cornerRadius() const override { return 12; }
  double fillOpacity(double pressed) const override;
  double outlineOpacity(double pressed) const override;
  int pressTransitionMs() const override { return 120; }
};

// The header's refresh button: a fainter plate, no outline, no minimum width.
class FlatButtonStyle : public ButtonStyle {
 public:
  double verticalInset() const override { return 8; }
  double horizontalInset() const override { return 12; }
  double minimumWidth() const override { return 0; }
  double cornerRadius() const override { return 10; }
  double fillOpacity(double pressed) const override;
  double outlineOpacity(double) const override { return 0; }
  int pressTransitionMs() const override { return 0; }
};

}  // namespace tessaro
