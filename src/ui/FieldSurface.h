// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QWidget>

namespace tessaro {

// A rounded plate in the window colour at a low opacity, holding one control
// inset on all sides. Used under the input fields and under the log. A thin
// outline shows where it lies; a ring in the highlight colour shows that the
// keyboard focus is in it.
class FieldSurface : public QWidget {
  Q_OBJECT
 public:
  FieldSurface(QWidget* content, double opacity, QWidget* parent = nullptr);

  // Whether the keyboard focus is on the content or inside it.
  bool holdsFocus() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double opacity_;
};

}  // namespace tessaro
