// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace tessaro {

// Shows that a workflow is running: an indeterminate bar and the whole
// seconds elapsed since start(). Hidden while stopped.
class BusyIndicator : public QWidget {
  Q_OBJECT
 public:
  explicit BusyIndicator(QWidget* parent = nullptr);

  void start();
  void stop();
  QString elapsedText() const;

 private:
  void tick();

  QProgressBar* bar_;
  QLabel* elapsed_;
  QElapsedTimer clock_;
  QTimer ticker_;
};

}  // namespace tessaro
