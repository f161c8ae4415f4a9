// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/BackingStoreWarmUp.h"

#include <sys/mman.h>
#include <unistd.h>

#include <QBackingStore>
#include <QEvent>
#include <QImage>
#include <cstdint>
#include <thread>

namespace tessaro {

namespace {

// Has the kernel put the image's pages in place on a thread of its own,
// while the window is mapped: in one call what the first paint would fault
// in a page at a time. The pages are put in place, never written, so
// nothing is lost if the store has gone by then or the kernel cannot.
void populate(const QImage& image) {
#ifdef MADV_POPULATE_WRITE
  const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(image.constBits());
  const std::uintptr_t first = begin & ~(page - 1);
  const std::uintptr_t length = begin + std::uintptr_t(image.sizeInBytes()) - first;
  std::thread([first, length] {
    madvise(reinterpret_cast<void*>(first), length, MADV_POPULATE_WRITE);
  }).detach();
#else
  Q_UNUSED(image);
#endif
}

}  // namespace

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
  if (device && device->devType() == QInternal::Image) populate(*static_cast<const QImage*>(device));
  store->endPaint();
  return false;
}

}  // namespace tessaro
