// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QDialog>
#include <QList>
#include <functional>

#include "drives/Drive.h"
#include "ui/EraseConfirmation.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace tessaro {

class BatchJob;
class ContentView;

// Several drives at once, for the window: the attached drives in a list to
// tick (Space ticks the current one, as a click does), then Format, Check or
// Test Capacity for all that are ticked, after one question that lists them.
// While they run, each drive has its row with its own progress, its result
// and a Stop that stops it alone; Cancel All stops them all. Every line in
// the window's log begins with its drive's name ("sdb: "). The window stays
// busy until the batch has ended; a desktop notification then says how many
// ended well ("3 formatted, 1 failed") when it took a while.
class BatchDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Action { format, check, capacityTest };
  // Asks before the batch erases; the default shows the dialog.
  using Confirmation = std::function<bool(const EraseConfirmation&)>;

  BatchDialog(ContentView& view, QList<Drive> drives);
  ~BatchDialog() override;

  void setConfirmation(Confirmation confirm) { confirm_ = std::move(confirm); }
  // The drives ticked in the list.
  QList<Drive> chosenDrives() const;
  // Asks, then runs the action on the ticked drives; returns at once.
  void start(Action action);
  bool isRunning() const { return batch_ != nullptr; }
  // Stops one drive's work, or all of it.
  void stop(qsizetype row);
  void cancelAll();
  // The result line of each row so far.
  QStringList results() const;

  // Called from any thread by the drives' reports.
  void showProgress(qsizetype row, double fraction, const QString& text);
  void showResult(qsizetype row, const QString& text);

 signals:
  void batchFinished();

 protected:
  void reject() override;

 private:
  QCoro::Task<> run(Action action, QList<Drive> drives);
  void buildRows(const QList<Drive>& drives);
  void updateButtons();

  ContentView& view_;
  QList<Drive> drives_;
  Confirmation confirm_;
  BatchJob* batch_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QListWidget* list_ = nullptr;
  QPushButton* formatButton_ = nullptr;
  QPushButton* checkButton_ = nullptr;
  QPushButton* probeButton_ = nullptr;
  QPushButton* cancelAllButton_ = nullptr;
  QWidget* rowsPage_ = nullptr;
  QList<QProgressBar*> bars_;
  QList<QLabel*> results_;
  QList<QPushButton*> stops_;
};

}  // namespace tessaro
