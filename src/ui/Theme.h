// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QAbstractButton;
class QApplication;
class QWidget;

namespace tessaro::theme {

// Black at this opacity lies under the whole window.
inline constexpr double windowShade = 0.9;
// Surfaces behind the input fields and behind the log: the window colour at
// these opacities, this corner radius, the control inset by this much.
inline constexpr double fieldSurfaceOpacity = 0.06;
inline constexpr double logSurfaceOpacity = 0.04;
inline constexpr int surfaceRadius = 12;
// The outline that sets a surface off from the window: about 3:1 against it.
inline constexpr double surfaceOutlineOpacity = 0.35;
inline constexpr int surfaceInset = 10;
inline constexpr double captionOpacity = 0.8;

// The window's look does not follow the desktop: Fusion with a dark palette.
QPalette darkPalette();
void applyDarkAppearance(QApplication& app);

// Type styles, scaled from the application's body font the way the
// platform's text styles relate (body 13, subheadline 11, caption 10).
QFont titleFont();
QFont subheadlineFont();
QFont headlineFont();
QFont logFont();

// A section caption: subheadline type in the primary text colour at 0.8.
void styleCaption(QWidget* label);

// The button of a question that destroys data: white on red, as GNOME and
// KDE mark a destructive action. Fusion draws a button's colour lighter:
// its body shows about #b33c46, near Adwaita's destructive colour, almost
// 6:1 against the white title.
inline const QColor destructiveColour{0x8b, 0x10, 0x19};
void styleDestructive(QAbstractButton* button);

}  // namespace tessaro::theme
