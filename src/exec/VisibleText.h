// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// Text that came from a drive or a tool (a label, a model name, a path, a
// line a tool printed) as it may be shown on a terminal or in a log: every C0
// and C1 control character and DEL becomes a visible escape such as "\x1B",
// so that none can move the cursor, change a title, clear the screen or ring
// a bell. Tabs stay; line feeds stay unless lineFeeds is escape, for text that
// must stay on one line.
enum class LineFeeds { keep, escape };
QString visibleText(const QString& text, LineFeeds lineFeeds = LineFeeds::keep);

}  // namespace tessaro
