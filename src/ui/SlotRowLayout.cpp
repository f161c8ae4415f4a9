// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/SlotRowLayout.h"

#include <QWidgetItem>
#include <algorithm>

namespace tessaro {

SlotRowLayout::SlotRowLayout(QWidget* parent) : QLayout(parent) { setContentsMargins(0, 0, 0, 0); }

SlotRowLayout::~SlotRowLayout() {
  for (const Slot& slot : slots_) delete slot.item;
}

void SlotRowLayout::addWidget(QWidget* widget, int slotWidth) {
  addChildWidget(widget);
  slots_.append({new QWidgetItem(widget), slotWidth});
  invalidate();
}

void SlotRowLayout::addItem(QLayoutItem* item) { slots_.append({item, item->sizeHint().width()}); }

QLayoutItem* SlotRowLayout::itemAt(int index) const {
  return index >= 0 && index < slots_.size() ? slots_[index].item : nullptr;
}

QLayoutItem* SlotRowLayout::takeAt(int index) {
  if (index < 0 || index >= slots_.size()) return nullptr;
  return slots_.takeAt(index).item;
}

int SlotRowLayout::slotLeft(int index) const {
  int x = contentsRect().left();
  for (int i = 0; i < index; ++i) x += slots_[i].width + spacing();
  return x;
}

QRect SlotRowLayout::slotRect(int index) const {
  const QRect area = contentsRect();
  return {slotLeft(index), area.top(), slots_[index].width, area.height()};
}

QList<QRect> SlotRowLayout::bodies() const {
  QList<QRect> placed;
  int earliest = contentsRect().left();
  for (int i = 0; i < slots_.size(); ++i) {
    const QRect slot = slotRect(i);
    const QSize body = slots_[i].item->sizeHint();
    const int x = std::max(slot.left() + (slot.width() - body.width()) / 2, earliest);
    const int y = slot.top() + (slot.height() - body.height()) / 2;
    placed.append(QRect(QPoint(x, y), body));
    // Overflowing bodies may come closer than the spacing, never nearer than half of it.
    earliest = x + body.width() + spacing() / 2;
  }
  return placed;
}

QSize SlotRowLayout::sizeHint() const {
  int width = 0;
  int height = 0;
  for (const Slot& slot : slots_) {
    width += slot.width;
    height = std::max(height, slot.item->sizeHint().height());
  }
  if (!slots_.isEmpty()) width += spacing() * int(slots_.size() - 1);
  // A widget moved right by a wide neighbour may end beyond the last slot.
  const QList<QRect> placed = bodies();
  if (!placed.isEmpty()) width = std::max(width, placed.last().right() + 1 - contentsRect().left());
  const QMargins m = contentsMargins();
  return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void SlotRowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  const QList<QRect> placed = bodies();
  for (int i = 0; i < slots_.size(); ++i) slots_[i].item->setGeometry(placed[i]);
}

}  // namespace tessaro
