// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/BackingStoreWarmUp.h"

#include <QBackingStore>
#include <QEvent>
#include <QImage>

#include "app/PageWarmUp.h"

namespace tessaro {

BackingStoreWarmUp::BackingStoreWarmUp(QWidget& window) : QObject(&window), window_(window) {
  window_.installEventFilter(this);
}

bool BackingStoreWarmUp::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_ || event->type() != QEvent::Show) return false;
  window_.removeEventFilter(this);
  deleteLater();
  QBackingStore* store = window_.backingStore();
  if (!store) return false;
  // The window's size is settled when it is shown: the first paint keeps
  // this store instead of making another.
  store->resize(window_.size());
  store->beginPaint(QRegion(window_.rect()));
  const QPaintDevice* device = store->paintDevice();
  // Its memory is put in place while the window is mapped.
  if (device && device->devType() == QInternal::Image) {
    const auto* image = static_cast<const QImage*>(device);
    warmUpPages(image->constBits(), std::size_t(image->sizeInBytes()));
  }
  store->endPaint();
  return false;
}

}  // namespace tessaro
