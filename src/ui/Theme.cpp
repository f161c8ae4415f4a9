// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/Theme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStyleFactory>
#include <QWidget>
#include <cmath>

namespace tessaro::theme {

namespace {
constexpr double bodyPoints = 13;

int scaledPixels(double points) {
  const int body = QFontInfo(QApplication::font()).pixelSize();
  return std::max(1, int(std::lround(body * points / bodyPoints)));
}
}  // namespace

QPalette darkPalette() {
  const QColor window(0x32, 0x32, 0x32);
  const QColor text(0xf2, 0xf2, 0xf2);
  QPalette p;
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
  p.setColor(QPalette::AlternateBase, QColor(0x2a, 0x2a, 0x2a));
  p.setColor(QPalette::ToolTipBase, window);
  p.setColor(QPalette::ToolTipText, text);
  // Over a field on the shaded window: 5:1, readable as text must be.
  p.setColor(QPalette::PlaceholderText, QColor(0xff, 0xff, 0xff, 0x80));
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, QColor(0x3c, 0x3c, 0x3c));
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, Qt::white);
  p.setColor(QPalette::Light, QColor(0x50, 0x50, 0x50));
  p.setColor(QPalette::Midlight, QColor(0x46, 0x46, 0x46));
  p.setColor(QPalette::Mid, QColor(0x28, 0x28, 0x28));
  p.setColor(QPalette::Dark, QColor(0x1a, 0x1a, 0x1a));
  p.setColor(QPalette::Shadow, Qt::black);
  p.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xd6));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(0x4c, 0x9a, 0xff));
  const QColor dimmed(0xff, 0xff, 0xff, 0x70);
  p.setColor(QPalette::Disabled, QPalette::WindowText, dimmed);
  p.setColor(QPalette::Disabled, QPalette::Text, dimmed);
  p.setColor(QPalette::Disabled, QPalette::ButtonText, dimmed);
  return p;
}

void applyDarkAppearance(QApplication& app) {
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  app.setPalette(darkPalette());
}

QFont titleFont() {
  QFont font = QApplication::font();
  font.setPixelSize(20);
  font.setWeight(QFont::DemiBold);
  return font;
}

QFont subheadlineFont() {
  QFont font = QApplication::font();
  font.setPixelSize(scaledPixels(11));
  return font;
}

QFont headlineFont() {
  QFont font = QApplication::font();
  font.setPixelSize(scaledPixels(13));
  font.setWeight(QFont::DemiBold);
  return font;
}

QFont logFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPixelSize(scaledPixels(10));
  return font;
}

void styleCaption(QWidget* label) {
  label->setFont(subheadlineFont());
  QPalette palette = label->palette();
  QColor colour = palette.color(QPalette::WindowText);
  colour.setAlphaF(float(colour.alphaF() * captionOpacity));
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

void styleDestructive(QAbstractButton* button) {
  QPalette palette = button->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Button, destructiveColour);
    palette.setColor(group, QPalette::ButtonText, Qt::white);
  }
  button->setPalette(palette);
}

}  // namespace tessaro::theme
