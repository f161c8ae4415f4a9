// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/FieldSurface.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

#include "ui/Theme.h"

namespace tessaro {

FieldSurface::FieldSurface(QWidget* content, double opacity, QWidget* parent)
    : QWidget(parent), opacity_(opacity) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(theme::surfaceInset, theme::surfaceInset, theme::surfaceInset,
                             theme::surfaceInset);
  layout->setSpacing(6);
  layout->addWidget(content);
}

void FieldSurface::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QColor colour = palette().color(QPalette::Window);
  colour.setAlphaF(float(opacity_));
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()), theme::surfaceRadius, theme::surfaceRadius);
  painter.fillPath(shape, colour);
}

}  // namespace tessaro
