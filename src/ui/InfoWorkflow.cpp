#include "ui/ContentView.h"

namespace tessaro {

// Placeholder until this workflow lands.
void ContentView::showDriveInfo() {}
QCoro::Task<> ContentView::performDriveInfo(Drive) { co_return; }

}  // namespace tessaro
