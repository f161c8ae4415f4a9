// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <chrono>
#include <functional>

namespace tessaro {

// Tells the desktop that an action the user waited for has ended, when it
// took a while: what ended and how, and the line that says so in the log.
class FinishNotice {
  Q_DECLARE_TR_FUNCTIONS(FinishNotice)

 public:
  enum class Action { format, capacityTest, check };
  // Shows a notice (summary, body); none: a desktop notification where there
  // is a session bus.
  using Notifier = std::function<void(const QString& summary, const QString& body)>;

  void setNotifier(Notifier notify, std::chrono::milliseconds longerThan);
  // An action begins: its time runs from now.
  void begin() { clock_.start(); }
  // Whether an action that ends now has taken long enough to be told.
  bool isDue() const { return clock_.isValid() && clock_.elapsed() > longerThan_.count(); }
  void send(Action action, bool succeeded, const QString& lastLine) const;

 private:
  Notifier notify_;
  std::chrono::milliseconds longerThan_ = std::chrono::seconds(5);
  QElapsedTimer clock_;
};

}  // namespace tessaro
