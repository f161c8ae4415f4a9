// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/ElidingLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tessaro {

namespace {

// Letters that reach furthest above and below the line in the scripts a
// name or a message may hold: accented capitals, descenders, a bar.
const QString kTallAndDeep = QString::fromUtf8("\xC3\x85\xC3\x89\xC3\x9C\xC3\x87\xC4\x98gjpq|");

}  // namespace

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

// The font's ascent and descent do not hold every accent: the line is as high
// as its tallest and deepest letters, and a pixel above them for the
// antialiased edge of an accent.
ElidingLabel::Extent ElidingLabel::extent() const {
  const QFontMetricsF metrics(font());
  const QRectF ink = metrics.tightBoundingRect(kTallAndDeep);
  const int above = int(std::ceil(std::max(metrics.ascent(), -ink.top()))) + 1;
  const int below = int(std::ceil(std::max(metrics.descent(), ink.bottom())));
  return {above, below};
}

QSize ElidingLabel::sizeHint() const {
  const Extent line = extent();
  return {fontMetrics().horizontalAdvance(text_), line.above + line.below};
}

QSize ElidingLabel::minimumSizeHint() const {
  const Extent line = extent();
  return {0, line.above + line.below};
}

void ElidingLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  const Extent line = extent();
  const int spare = std::max(height() - line.above - line.below, 0);
  painter.drawText(QPointF(0, spare / 2 + line.above), shownText());
}

}  // namespace tessaro
