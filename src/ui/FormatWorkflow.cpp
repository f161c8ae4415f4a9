#include "ui/ContentView.h"

namespace tessaro {

// Placeholder until this workflow lands.
void ContentView::formatSelectedDrive() {}
QCoro::Task<> ContentView::performFormat(Drive, QString, std::optional<int>) { co_return; }

}  // namespace tessaro
