// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <string_view>

namespace tessaro {

// Text that came from a drive or a tool (a label, a model name, a path, a
// line a tool printed) as it may be shown on a terminal or in a log: every C0
// and C1 control character and DEL becomes a visible escape such as "\x1B",
// so that none can move the cursor, change a title, clear the screen or ring
// a bell. Tabs stay; line feeds stay unless lineFeeds is escape, for text that
// must stay on one line. The text is UTF-8; bytes that are none become U+FFFD
// (as QString::fromUtf8 makes them), so that what is shown is UTF-8 too.
enum class LineFeeds { keep, escape };
std::string visibleText(std::string_view text, LineFeeds lineFeeds = LineFeeds::keep);

}  // namespace tessaro
