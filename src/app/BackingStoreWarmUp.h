// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QObject>
#include <QWidget>

namespace tessaro {

// Makes a window's backing store while the window is being shown, before
// it is mapped, and has its memory put in place while it is mapped. Painting
// the first frame into fresh memory faulted it in a page at a time after the
// map: several milliseconds of a blank window at its size. Belongs to the
// window and goes once the store is made.
class BackingStoreWarmUp : public QObject {
 public:
  explicit BackingStoreWarmUp(QWidget& window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
};

}  // namespace tessaro
