// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QTest>

#include "ViewFixture.h"
#include "ui/SymbolFallback.h"
#include "ui/Theme.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {
QString symbol(char32_t code) { return QString::fromUcs4(&code, 1); }

// Characters that take no glyph of their own.
bool isFormatCharacter(char32_t code) {
  return code == U'\n' || code == U'\uFE0F' || code == U'\uFE0E' || code == U'\u200D';
}
}  // namespace

// With or without a colour emoji font installed: what the log shows has a
// glyph for every character, and only emoji the fonts lack are replaced.
TEST(SymbolFallback, TheLogDrawsEverySymbolWithTheFontsAtHand) {
  const QFont font = theme::logFont();
  ASSERT_TRUE(SymbolFallback::canDraw(font, "A"));
  ASSERT_FALSE(SymbolFallback::canDraw(font, symbol(U'\U0010FFFD'))) << "a box is seen as one";
  const SymbolFallback fallback = SymbolFallback::forFont(font);
  for (const SymbolFallback::Substitute& entry : SymbolFallback::table()) {
    SCOPED_TRACE(symbol(entry.symbol).toStdString());
    const QString shown = fallback.apply(symbol(entry.symbol));
    if (SymbolFallback::canDraw(font, symbol(entry.symbol))) {
      EXPECT_EQ(shown, symbol(entry.symbol)) << "a drawable emoji stays";
    } else if (SymbolFallback::canDraw(font, symbol(entry.replacement))) {
      EXPECT_EQ(shown, symbol(entry.replacement));
    }
  }

  auto view = makeView("2");
  Controls c(*view);
  const QString lines[] = {QString::fromUtf8("\xE2\x9D\x8C Error: Check failed on /dev/sdb"),
                           QString::fromUtf8("\xE2\x9C\x85 Repair completed."),
                           QString::fromUtf8("\xE2\x84\xB9\xEF\xB8\x8F Using partition /dev/sdb1")};
  for (const QString& line : lines) view->appendLog(line);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->statusLog().endsWith(lines[2]); }, 5000))
      << "still not so after 5000 ms: view->statusLog().endsWith(lines[2])";
  c.log->flush();
  EXPECT_TRUE(view->statusLog().startsWith(ContentView::welcomeText())) << "the text itself stays";
  const QString shown = c.log->toPlainText();
  EXPECT_EQ(shown, fallback.apply(view->statusLog()));
  for (const char32_t code : shown.toUcs4()) {
    if (isFormatCharacter(code)) continue;
    EXPECT_TRUE(SymbolFallback::canDraw(c.log->font(), symbol(code)))
        << "U+" << QString::number(code, 16).toUpper().toStdString() << " would be a box";
  }
}

