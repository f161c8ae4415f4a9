// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/ElidingLabel.h"

#include <QFontMetrics>
#include <QPainter>

namespace tessaro {

ElidingLabel::ElidingLabel(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidingLabel::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  setToolTip(text);
  setAccessibleName(text);
  updateGeometry();
  update();
}

QString ElidingLabel::shownText() const {
  return fontMetrics().elidedText(text_, Qt::ElideRight, width());
}

QSize ElidingLabel::sizeHint() const {
  return {fontMetrics().horizontalAdvance(text_), fontMetrics().height()};
}

QSize ElidingLabel::minimumSizeHint() const { return {0, fontMetrics().height()}; }

void ElidingLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

}  // namespace tessaro
