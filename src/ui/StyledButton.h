// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QAbstractButton>
#include <QVariantAnimation>
#include <memory>

#include "ui/ButtonStyle.h"

class QSvgRenderer;

namespace tessaro {

// A push button drawn by a ButtonStyle: an optional icon and a title in
// white on a translucent plate whose fill and outline follow the pressed
// state, eased over the style's transition time.
class StyledButton : public QAbstractButton {
  Q_OBJECT
 public:
  StyledButton(const QString& title, std::shared_ptr<const ButtonStyle> style,
               QWidget* parent = nullptr);
  ~StyledButton() override;

  // An SVG drawn before the title, as tall as a line of the button's font.
  void setIconFile(const QString& path);

  // How the fill and outline show now, from released to held.
  double currentFillOpacity() const { return style_->fillOpacity(pressed_); }
  double currentOutlineOpacity() const { return style_->outlineOpacity(pressed_); }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Return and Enter press a focused button, as Space does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QSizeF labelSize() const;
  void moveTo(bool held);

  std::shared_ptr<const ButtonStyle> style_;
  std::unique_ptr<QSvgRenderer> icon_;
  QVariantAnimation transition_;
  double pressed_ = 0;
};

}  // namespace tessaro
