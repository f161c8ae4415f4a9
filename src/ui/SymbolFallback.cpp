// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/SymbolFallback.h"

#include <QGlyphRun>
#include <QTextLayout>
#include <algorithm>

namespace tessaro {

namespace {
QString text(char32_t symbol) { return QString::fromUcs4(&symbol, 1); }
}  // namespace

const QList<SymbolFallback::Substitute>& SymbolFallback::table() {
  static const QList<Substitute> substitutes{
      {U'\U0001F6AB', U'\u2298'},  // no entry sign -> circled division slash
      {U'\u274C', U'\u2718'},      // cross mark -> heavy ballot x
      {U'\u2705', U'\u2714'},      // check mark button -> heavy check mark
      {U'\u2714', U'\u2713'},      // heavy check mark -> check mark
      {U'\u26A0', U'!'},           // warning sign
      {U'\u2139', U'i'},           // information source
  };
  return substitutes;
}

bool SymbolFallback::canDraw(const QFont& font, const QString& text) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  if (runs.isEmpty()) return false;
  // Glyph 0 is the font's "missing" box.
  for (const QGlyphRun& run : runs)
    for (const quint32 glyph : run.glyphIndexes())
      if (glyph == 0) return false;
  return true;
}

SymbolFallback SymbolFallback::forFont(const QFont& font) { return SymbolFallback(font); }

SymbolFallback::SymbolFallback(QFont font) : font_(std::move(font)), replaced_(table().size()) {}

QString SymbolFallback::apply(const QString& original) const {
  // Every emoji of the table is at U+2139 or above (those beyond the first
  // plane as surrogates, above it too): most of what tools print holds none.
  if (std::none_of(original.cbegin(), original.cend(),
                   [](QChar c) { return c.unicode() >= 0x2139; }))
    return original;
  QString result = original;
  for (qsizetype i = 0; i < table().size(); ++i) {
    std::optional<bool>& replaced = replaced_[i];
    if (replaced == false) continue;
    const QString symbol = text(table()[i].symbol);
    const QString replacement = text(table()[i].replacement);
    if (!replaced) {
      if (!result.contains(symbol)) continue;
      replaced = !canDraw(font_, symbol) && canDraw(font_, replacement);
    }
    if (*replaced) result.replace(symbol, replacement);
  }
  return result;
}

}  // namespace tessaro
