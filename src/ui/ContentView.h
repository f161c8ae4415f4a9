// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "drives/ClusterOption.h"
#include "drives/DiskManager.h"
#include "drives/Drive.h"
#include "jobs/FormatJob.h"
#include "ui/FinishNotice.h"
#include "ui/LogReport.h"
#include "ui/StatusLog.h"
#include "ui/WindowJobs.h"

namespace tessaro {

class BatchDialog;

// The content of the application's window: header, drive picker, volume name,
// cluster size, the four actions and the status log. Owns the window's state;
// every workflow reads it on the main thread when its button is pressed.
class ContentView : public QWidget {
  Q_OBJECT
 public:
  // A list that diskManager began (DiskManager::beginRefresh) is waited for
  // this long when the window is first shown.
  static constexpr std::chrono::milliseconds begunListWait{250};

  explicit ContentView(std::unique_ptr<DiskManager> diskManager = nullptr,
                       QWidget* parent = nullptr);
  ~ContentView() override;

  static QString welcomeText();

  // State.
  DiskManager& diskManager() const { return *diskManager_; }
  const std::optional<Drive>& selectedDrive() const { return selectedDrive_; }
  void setSelectedDrive(const std::optional<Drive>& drive);
  const QString& label() const { return label_; }
  void setLabel(const QString& label);
  ClusterOption cluster() const { return cluster_; }
  void setCluster(ClusterOption cluster);
  bool isBusy() const { return isBusy_; }
  void setBusy(bool busy);
  // While a refresh that devices coming and going started runs: the window
  // does not turn busy for it.
  bool isRefreshingInBackground() const { return jobs_.isRefreshingInBackground(); }
  // What the log holds (at most its line limit; a line says how many
  // earlier lines were let go).
  QString statusLog() const { return log().text(); }
  const StatusLog& log() const;
  // Replaces the whole log. Main thread only.
  void setStatusLog(const QString& text);

  // Adds a line feed and text at the end of the log. Callable from any
  // thread; always queued on the main thread, in call order.
  void appendLog(const QString& text);
  // Adds lines at the end of the log, queued like appendLog. Lines that
  // arrive faster than the window shows them are shown a bounded amount per
  // turn of the event loop; a thread other than the window's waits while too
  // much is waiting.
  void appendLogLines(const QStringList& lines);
  bool hasPendingLines() const;

  // Writes the whole log of the current workflow to a file the user
  // chooses ("Save Log…").
  void saveLog();
  // Where "Save Log…" writes: the default asks with a file dialog, starting
  // from suggested; empty means the user chose nothing.
  using SavePathChooser = std::function<QString(const QString& suggested)>;
  void setSavePathChooser(SavePathChooser choose);
  // The file name "Save Log…" suggests: date, time and the workflow's drive.
  QString suggestedLogName() const;

  // Stops the running workflow (the Cancel control).
  void cancelWorkflow();
  // Asks before a cancel or a close stops a format that has begun writing;
  // the default shows a dialog whose default keeps the format running.
  using StopConfirmation = std::function<bool(const QString& question)>;
  void setStopConfirmation(StopConfirmation confirm);

  // Asks before an erase; the default shows a dialog whose default is Cancel.
  using Confirmation = std::function<bool(const Drive&)>;
  void setConfirmation(Confirmation confirm);
  // Asks before a capacity test, and which: none to test nothing, true for
  // the full test (every block). Without it, the confirmation above decides
  // for the quick test, or the dialog asks (with the full test as its option).
  using CapacityTestChoice = std::function<std::optional<bool>(const Drive&)>;
  void setCapacityTestChoice(CapacityTestChoice choose);
  // After a capacity test, which leaves test data on the drive: asks whether
  // to format it, only the part that holds data (partitionBytes long) when
  // the test found less than the drive claims, else the whole drive
  // (partitionBytes 0); the default shows a dialog whose default is Cancel.
  using CapacityFormatOffer =
      std::function<bool(const Drive&, const ProbeResult&, qint64 partitionBytes)>;
  void setCapacityFormatOffer(CapacityFormatOffer offer);

  // The name a format would write for the volume name as typed ("MY USB"),
  // or why a format would refuse it; shown under the field.
  QString volumeNameHint() const;

  // The About box.
  void showAbout();

  // Tells the desktop that an action that took a while has ended while the
  // window was not the active one (summary, body); the default sends a
  // desktop notification where there is a session bus.
  using FinishNotifier = FinishNotice::Notifier;
  void setFinishNotifier(FinishNotifier notify,
                         std::chrono::milliseconds longerThan = std::chrono::seconds(5));

  // The button actions: each starts its job and returns at once.
  void refreshOnAppear();
  void refreshDrives();
  void formatSelectedDrive();
  void showDriveInfo();
  void checkSelectedDrive();
  // Tests how much of the selected drive really holds data (erasing it).
  void probeSelectedDrive();
  // How far the running capacity test has come (the progress bar). Callable
  // from any thread.
  void showProbeProgress(const ProbeProgress& progress);
  // A format's or check's progress by step, on the same bar.
  void showStepProgress(double fraction);
  // Opens the choice of several drives (Several Drives…), to format, check
  // or test them at once (BatchDialog); a single drive is the picker's.
  void chooseSeveralDrives();
  // The open choice of several drives; null when none is open.
  BatchDialog* batchDialog() const;
  // A batch begins: the window is busy, its log begins with title.
  void beginBatch(const QString& title);
  // A batch has ended: the window is free again and, when it took a while
  // and the window is in the background, the desktop hears how it ended.
  void endBatch(FinishNotice::Action action, bool succeeded, const QString& counted);

  // Lists the drives again because devices came or went: says nothing when
  // that works, keeps the selection on the same drive and names the selected
  // drive in the log when it is gone (removedNames: devices removed since the
  // last list).
  void refreshAfterDeviceChange(const QSet<QString>& removedNames);

 signals:
  void statusLogChanged();
  // Emitted when a started job has ended (tests wait on it).
  void workflowFinished();

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Widgets;
  void buildLayout();
  void updateEnabled();
  // Refills the picker from the drive list and shows the selected entry.
  void syncPicker();
  bool confirmStoppingFormat(const QString& question);
  bool confirmErase(const FormatRequest& request);
  // None when the user declined; else whether to test every block.
  std::optional<bool> confirmCapacityTest(const Drive& drive);
  // Formats drive within the part a capacity test found holding data, when
  // the user agrees.
  void offerCapacityFormat(const Drive& drive, const ProbeResult& result);
  void startFormat(FormatRequest request);
  // Runs a job on the main thread, shown in this view, and emits
  // workflowFinished when it has ended.
  void startJob(std::unique_ptr<Job> job, WindowJobs::Kind kind,
                LogReport::Outcome outcome = LogReport::Outcome::appended);
  void jobEnded(const Job* job, WindowJobs::Kind kind);
  // After an action the user waited for: a notification when it took long
  // and the window is not active.
  void notifyFinished(const Job* job, WindowJobs::Kind kind);
  // After a new drive list: the first drive, or, after device events, the same drive.
  void drivesListed();
  // Lists the drives again without taking the buttons or the focus; the
  // selection follows its drive, and a selected drive that has gone is named
  // in the log when announceRemoval.
  void refreshInBackground(const QSet<QString>& removedNames, bool announceRemoval);
  void selectFirstDrive();

  std::unique_ptr<DiskManager> diskManager_;
  std::optional<Drive> selectedDrive_;
  QString label_;
  ClusterOption cluster_ = ClusterOption::Default;
  bool isBusy_ = false;
  // The drive of the workflow the log belongs to (for the saved log's name).
  QString logDevice_;
  SavePathChooser chooseSavePath_;
  StopConfirmation confirmStop_;
  Confirmation confirm_;
  CapacityTestChoice chooseCapacityTest_;
  CapacityFormatOffer offerCapacityFormat_;
  FinishNotice finishNotice_;
  bool appeared_ = false;
  // Set while the destructor waits for running jobs: nothing new starts.
  bool tearingDown_ = false;
  // Set while a refresh for device events runs: the selection follows its drive.
  std::optional<QSet<QString>> devicesRemoved_;
  bool announceRemoval_ = true;
  // The drive of the last capacity test.
  Drive probedDrive_;
  QPointer<BatchDialog> batchDialog_;
  // Jobs started and not yet ended; the view outlives them.
  WindowJobs jobs_;
  std::unique_ptr<Widgets> ui_;
};

}  // namespace tessaro
