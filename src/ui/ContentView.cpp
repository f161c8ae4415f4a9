#include "ui/ContentView.h"

namespace tessaro {

struct ContentView::Widgets {};

ContentView::ContentView(std::unique_ptr<DiskManager> diskManager, QWidget* parent)
    : QWidget(parent),
      diskManager_(diskManager ? std::move(diskManager) : std::make_unique<DiskManager>()),
      ui_(std::make_unique<Widgets>()) {}

ContentView::~ContentView() = default;

}  // namespace tessaro

namespace tessaro {
void ContentView::showEvent(QShowEvent* event) { QWidget::showEvent(event); }
}  // namespace tessaro
