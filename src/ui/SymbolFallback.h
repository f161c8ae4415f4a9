// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <optional>

namespace tessaro {

// The colour emoji the log's texts use, and a monochrome symbol of like
// meaning to draw instead where no installed font has the emoji: a symbol
// beats an empty box. The log's own text is left as it is.
class SymbolFallback {
 public:
  struct Substitute {
    char32_t symbol;
    char32_t replacement;
  };
  // The emoji in use and their stand-ins.
  static const QList<Substitute>& table();

  // Whether font, with the fonts the system falls back on, has a glyph for
  // every character of text.
  static bool canDraw(const QFont& font, const QString& text);

  // The substitutes font needs: those whose emoji it cannot draw and whose
  // stand-in it can. Whether it can is found out the first time a text holds
  // the emoji: an emoji no text holds costs no search of the fonts.
  static SymbolFallback forFont(const QFont& font);

  QString apply(const QString& text) const;

 private:
  explicit SymbolFallback(QFont font);

  QFont font_;
  // For each entry of table(): whether its emoji is replaced, once known.
  mutable QList<std::optional<bool>> replaced_;
};

}  // namespace tessaro
