#include "ui/ContentView.h"

namespace tessaro {

// Placeholder until this workflow lands.
void ContentView::checkSelectedDrive() {}
QCoro::Task<> ContentView::performCheck(Drive) { co_return; }

}  // namespace tessaro
