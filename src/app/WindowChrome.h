// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

class QWidget;

namespace tessaro {

// macOS: no title bar is drawn; the window buttons stay in the top strip over
// the window's background and the content starts below the strip. Elsewhere
// the window manager's frame is kept and nothing changes.
void hideTitleBar(QWidget* window);

}  // namespace tessaro
