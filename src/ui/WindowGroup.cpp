#include "ui/WindowGroup.h"

#include <QKeySequence>
#include <QShortcut>

#include "ui/ContentView.h"

namespace tessaro {

WindowGroup::WindowGroup(DiskManagerFactory makeDiskManager, QObject* parent)
    : QObject(parent), makeDiskManager_(std::move(makeDiskManager)) {}

ContentView* WindowGroup::openWindow() {
  auto* window = new ContentView(makeDiskManager_ ? makeDiskManager_() : nullptr);
  window->setAttribute(Qt::WA_DeleteOnClose);
  auto* newWindow = new QShortcut(QKeySequence::New, window);
  newWindow->setContext(Qt::WindowShortcut);
  connect(newWindow, &QShortcut::activated, this, &WindowGroup::openWindow);
  emit windowOpened(window);
  window->show();
  return window;
}

}  // namespace tessaro
