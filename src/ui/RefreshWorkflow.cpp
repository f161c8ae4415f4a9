#include "ui/ContentView.h"

namespace tessaro {

// Placeholder until this workflow lands.
void ContentView::refreshOnAppear() {}
void ContentView::refreshDrives() {}
QCoro::Task<> ContentView::performRefresh(bool) { co_return; }

}  // namespace tessaro
