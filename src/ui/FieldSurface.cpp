// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/FieldSurface.h"

#include <QApplication>
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
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    if ((old && isAncestorOf(old)) || (now && isAncestorOf(now))) update();
  });
}

bool FieldSurface::holdsFocus() const {
  const QWidget* focused = QApplication::focusWidget();
  return focused && isAncestorOf(focused);
}

void FieldSurface::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QColor colour = palette().color(QPalette::Window);
  colour.setAlphaF(float(opacity_));
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()), theme::surfaceRadius, theme::surfaceRadius);
  painter.fillPath(shape, colour);
  // Kept inside the widget so that no part of a line is clipped.
  const bool focused = holdsFocus();
  const double width = focused ? 2 : 1;
  const double inset = width / 2;
  painter.setPen(QPen(focused ? palette().color(QPalette::Highlight)
                              : QColor::fromRgbF(1, 1, 1, float(theme::surfaceOutlineOpacity)),
                      width));
  painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset),
                          theme::surfaceRadius - inset, theme::surfaceRadius - inset);
}

}  // namespace tessaro
