// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/WindowChrome.h"

#include <objc/message.h>
#include <objc/runtime.h>

#include <QLayout>
#include <QWidget>

namespace tessaro {

namespace {
// Height of the strip that the title bar would take.
constexpr int titleStripHeight = 28;
constexpr unsigned long fullSizeContentViewMask = 1UL << 15;
constexpr long titleHidden = 1;

template <typename Result, typename... Args>
Result send(id receiver, const char* selector, Args... args) {
  using Function = Result (*)(id, SEL, Args...);
  return reinterpret_cast<Function>(objc_msgSend)(receiver, sel_registerName(selector), args...);
}
}  // namespace

void hideTitleBar(QWidget* window) {
  auto view = reinterpret_cast<id>(window->winId());
  id nsWindow = view ? send<id>(view, "window") : nullptr;
  if (!nsWindow) return;
  const auto mask = send<unsigned long>(nsWindow, "styleMask");
  send<void>(nsWindow, "setStyleMask:", mask | fullSizeContentViewMask);
  send<void>(nsWindow, "setTitlebarAppearsTransparent:", static_cast<BOOL>(YES));
  send<void>(nsWindow, "setTitleVisibility:", titleHidden);
  if (QLayout* layout = window->layout()) {
    QMargins margins = layout->contentsMargins();
    margins.setTop(margins.top() + titleStripHeight);
    layout->setContentsMargins(margins);
  }
}

}  // namespace tessaro
