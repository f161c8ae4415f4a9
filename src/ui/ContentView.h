#pragma once

#include <qcoro/qcorotask.h>

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "drives/ClusterOption.h"
#include "drives/DiskManager.h"
#include "drives/Drive.h"

namespace tessaro {

// The content of the application's window: header, drive picker, volume name,
// cluster size, the three actions and the status log. Owns the window's state;
// every workflow reads it on the main thread when its button is pressed.
class ContentView : public QWidget {
  Q_OBJECT
 public:
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
  const QString& statusLog() const { return statusLog_; }
  // Replaces the whole log. Main thread only.
  void setStatusLog(const QString& text);

  // Adds a line feed and text at the end of the log. Callable from any
  // thread; always queued on the main thread, in call order.
  void appendLog(const QString& text);

  // Asks before an erase; the default shows a dialog whose default is Cancel.
  using Confirmation = std::function<bool(const Drive&)>;
  void setConfirmation(Confirmation confirm);

  // Workflows. The button actions return at once; the perform* bodies are
  // the tasks they start, public so that they can be awaited.
  void refreshOnAppear();
  void refreshDrives();
  void formatSelectedDrive();
  void showDriveInfo();
  void checkSelectedDrive();
  QCoro::Task<> performRefresh(bool announce);
  QCoro::Task<> performFormat(Drive drive, QString volumeName, std::optional<int> clusterBytes);
  QCoro::Task<> performDriveInfo(Drive drive);
  QCoro::Task<> performCheck(Drive drive);

 signals:
  void statusLogChanged(const QString& log);
  void busyChanged(bool busy);
  // Emitted when a started workflow has ended (tests wait on it).
  void workflowFinished();

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Widgets;
  void buildLayout();
  void updateEnabled();
  // Names, in the log, the packages to install for tools that are missing.
  void announceMissingTools();
  // Refills the picker from the drive list and shows the selected entry.
  void syncPicker();
  void applyStatusLogChange(bool replaced, const QString& appended);
  // Runs a workflow's task on the main thread and emits workflowFinished
  // when it ends. The task clears isBusy itself.
  void startWorkflow(QCoro::Task<> task);
  static QCoro::Task<> superviseWorkflow(QCoro::Task<> task, QPointer<ContentView> view);
  void workflowEnded();

  std::unique_ptr<DiskManager> diskManager_;
  std::optional<Drive> selectedDrive_;
  QString label_;
  ClusterOption cluster_ = ClusterOption::Default;
  bool isBusy_ = false;
  QString statusLog_;
  Confirmation confirm_;
  bool appeared_ = false;
  // Workflows started and not yet ended; the view outlives them.
  int runningWorkflows_ = 0;
  std::unique_ptr<Widgets> ui_;
};

}  // namespace tessaro
