// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QLayout>
#include <QList>

namespace tessaro {

// A row of fixed-width slots, each holding one widget centred in it at the
// widget's preferred size. A widget wider than its slot overflows it equally
// on both sides without moving its neighbours: positions follow from the slot
// widths and the spacing alone. Only where a widget would then come nearer to
// the one before it than half the spacing (a longer translated title) does it
// move right, so that no two overlap. The slots sit at the leading edge.
class SlotRowLayout : public QLayout {
  Q_OBJECT
 public:
  explicit SlotRowLayout(QWidget* parent = nullptr);
  ~SlotRowLayout() override;

  void addWidget(QWidget* widget, int slotWidth);
  // The slot's rectangle in the parent's coordinates, after layout.
  QRect slotRect(int index) const;

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override { return int(slots_.size()); }
  QSize sizeHint() const override;
  QSize minimumSize() const override { return sizeHint(); }
  void setGeometry(const QRect& rect) override;

 private:
  struct Slot {
    QLayoutItem* item;
    int width;
  };
  int slotLeft(int index) const;
  // Where each widget goes, in the parent's coordinates.
  QList<QRect> bodies() const;
  QList<Slot> slots_;
};

}  // namespace tessaro
