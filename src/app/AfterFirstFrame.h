// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

namespace tessaro {

// Runs work once a window has painted its first frame, so that what that
// frame does not need comes after the user sees the window. Belongs to the
// window and goes when the work has run.
class AfterFirstFrame : public QObject {
 public:
  AfterFirstFrame(QWidget& window, std::function<void()> work);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  std::function<void()> work_;
};

}  // namespace tessaro
