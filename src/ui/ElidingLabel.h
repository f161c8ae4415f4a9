// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QWidget>

namespace tessaro {

// One line of quiet text that never makes its row wider, and never cuts off
// an accent or a descender: a text longer than the room there is ends in
// "…", and the whole of it is the tooltip and the accessible description.
class ElidingLabel : public QWidget {
  Q_OBJECT
 public:
  explicit ElidingLabel(QWidget* parent = nullptr);

  const QString& text() const { return text_; }
  void setText(const QString& text);
  // The text as it is drawn at the present width.
  QString shownText() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Pixels the line needs above its baseline and below it.
  struct Extent {
    int above;
    int below;
  };
  Extent extent() const;

  QString text_;
};

}  // namespace tessaro
