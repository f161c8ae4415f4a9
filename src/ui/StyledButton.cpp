// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/StyledButton.h"

#include <QEasingCurve>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QSvgRenderer>
#include <cmath>

namespace tessaro {

namespace {
constexpr double iconTitleSpacing = 6;
// The disabled label is dimmed like the toolkit's own buttons; the plate
// itself looks the same enabled or not.
constexpr double disabledLabelOpacity = 0.45;
// Where keyboard focus is: a ring in the palette's highlight colour just inside the plate.
constexpr double focusRingWidth = 2;

QEasingCurve easeInOut() {
  QEasingCurve curve(QEasingCurve::BezierSpline);
  curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
  return curve;
}
}  // namespace

StyledButton::StyledButton(const QString& title, std::shared_ptr<const ButtonStyle> style,
                           QWidget* parent)
    : QAbstractButton(parent), style_(std::move(style)) {
  setText(title);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setCursor(Qt::ArrowCursor);
  transition_.setEasingCurve(easeInOut());
  connect(&transition_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    pressed_ = value.toDouble();
    update();
  });
  connect(this, &QAbstractButton::pressed, this, [this] { moveTo(true); });
  connect(this, &QAbstractButton::released, this, [this] { moveTo(false); });
}

StyledButton::~StyledButton() = default;

void StyledButton::setIconFile(const QString& path) {
  icon_ = std::make_unique<QSvgRenderer>(path);
  updateGeometry();
  update();
}

void StyledButton::moveTo(bool held) {
  const double target = held ? 1.0 : 0.0;
  transition_.stop();
  if (style_->pressTransitionMs() <= 0) {
    pressed_ = target;
    update();
    return;
  }
  transition_.setDuration(style_->pressTransitionMs());
  transition_.setStartValue(pressed_);
  transition_.setEndValue(target);
  transition_.start();
}

QSizeF StyledButton::labelSize() const {
  const QFontMetricsF metrics(font());
  // The title's "&" marks its mnemonic and takes no room. A glyph may reach
  // past the advance of the last letter (the tail of an italic-looking "y").
  QString shown = text();
  shown.remove(QLatin1Char('&'));
  double width = std::max(metrics.size(Qt::TextShowMnemonic, text()).width(),
                          metrics.tightBoundingRect(shown).right());
  if (icon_) width += metrics.height() + iconTitleSpacing;
  return {width, metrics.height()};
}

QSize StyledButton::sizeHint() const {
  const QSizeF body = style_->bodySize(labelSize());
  return {int(std::ceil(body.width())), int(std::ceil(body.height()))};
}

void StyledButton::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !event->isAutoRepeat() &&
      event->modifiers() == Qt::NoModifier) {
    animateClick();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}

void StyledButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF body = rect();
  const double radius = style_->cornerRadius();

  QPainterPath plate;
  plate.addRoundedRect(body, radius, radius);
  painter.fillPath(plate, QColor::fromRgbF(1, 1, 1, float(currentFillOpacity())));

  if (const double outline = currentOutlineOpacity(); outline > 0) {
    // Kept inside the widget so that no part of the line is clipped.
    QPen pen(QColor::fromRgbF(1, 1, 1, float(outline)), 1, Qt::SolidLine, Qt::FlatCap,
             Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
  }

  if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
    const double inset = 1 + focusRingWidth / 2;
    painter.setPen(QPen(palette().color(QPalette::Highlight), focusRingWidth));
    painter.drawRoundedRect(body.adjusted(inset, inset, -inset, -inset), radius - inset,
                            radius - inset);
  }

  if (!isEnabled()) painter.setOpacity(disabledLabelOpacity);
  const QSizeF label = labelSize();
  const QFontMetricsF metrics(font());
  double x = body.center().x() - label.width() / 2;
  const double top = body.center().y() - label.height() / 2;
  if (icon_) {
    const double side = metrics.height();
    icon_->render(&painter, QRectF(x, top, side, side));
    x += side + iconTitleSpacing;
  }
  painter.setPen(Qt::white);
  painter.setFont(font());
  const int mnemonic = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this)
                           ? Qt::TextShowMnemonic
                           : Qt::TextHideMnemonic;
  painter.drawText(QRectF(x, top, label.width(), label.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip | mnemonic, text());
}

}  // namespace tessaro
