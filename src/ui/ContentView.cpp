#include "ui/ContentView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>

#include "ui/BusyIndicator.h"
#include "ui/ContentViewWidgets.h"
#include "ui/LogView.h"
#include "ui/StyledButton.h"
#include "ui/Theme.h"

// Resources of a static library are registered by hand; the macro has to be
// used outside any namespace.
static void registerIconResources() { Q_INIT_RESOURCE(icons); }

namespace tessaro {

// Awaits a workflow and reports its end while the view still exists. Nothing
// escapes: a workflow that ends in an exception still ends.
QCoro::Task<> ContentView::superviseWorkflow(QCoro::Task<> task, QPointer<ContentView> view) {
  bool failed = false;
  try {
    co_await std::move(task);
  } catch (...) {
    failed = true;
  }
  if (!view) co_return;
  if (failed) view->setBusy(false);
  view->workflowEnded();
}

ContentView::ContentView(std::unique_ptr<DiskManager> diskManager, QWidget* parent)
    : QWidget(parent),
      diskManager_(diskManager ? std::move(diskManager) : std::make_unique<DiskManager>()),
      statusLog_(welcomeText()),
      ui_(std::make_unique<Widgets>()) {
  registerIconResources();
  // Dark whatever the desktop uses, also where the application set no palette.
  setPalette(theme::darkPalette());
  setAutoFillBackground(false);
  setMinimumSize(820, 520);
  buildLayout();
  ui_->log->replaceText(statusLog_);
  connect(diskManager_.get(), &DiskManager::drivesChanged, this, &ContentView::syncPicker);
  syncPicker();
  updateEnabled();
}

ContentView::~ContentView() {
  // A workflow's task resumes into this view when its tool ends, so the view
  // has to stay until then; the window is already gone from the screen.
  if (runningWorkflows_ == 0) return;
  QEventLoop untilEnded;
  connect(this, &ContentView::workflowFinished, &untilEnded, [&] {
    if (runningWorkflows_ == 0) untilEnded.quit();
  });
  untilEnded.exec();
}

void ContentView::setSelectedDrive(const std::optional<Drive>& drive) {
  selectedDrive_ = drive;
  syncPicker();
  updateEnabled();
}

void ContentView::setLabel(const QString& label) {
  label_ = label;
  if (ui_->volumeField->text() != label) ui_->volumeField->setText(label);
}

void ContentView::setCluster(ClusterOption cluster) {
  cluster_ = cluster;
  const auto& cases = ClusterOption::allCases();
  const auto found = std::find(cases.begin(), cases.end(), cluster);
  ui_->clusterMenu->setCurrentIndex(int(found - cases.begin()));
}

void ContentView::setBusy(bool busy) {
  const bool changed = busy != isBusy_;
  isBusy_ = busy;
  updateEnabled();
  if (!changed) return;
  if (busy) {
    ui_->busyIndicator->start();
  } else {
    ui_->busyIndicator->stop();
  }
  emit busyChanged(busy);
}

void ContentView::setStatusLog(const QString& text) {
  statusLog_ = text;
  applyStatusLogChange(true, {});
}

void ContentView::appendLog(const QString& text) {
  // Always queued, also from the main thread, so a line never shows up before
  // the caller's current step has finished.
  QMetaObject::invokeMethod(
      this,
      [this, text] {
        statusLog_ += QLatin1Char('\n');
        statusLog_ += text;
        applyStatusLogChange(false, text);
      },
      Qt::QueuedConnection);
}

void ContentView::applyStatusLogChange(bool replaced, const QString& appended) {
  if (replaced) {
    ui_->log->replaceText(statusLog_);
  } else {
    ui_->log->appendText(QLatin1Char('\n') + appended);
  }
  emit statusLogChanged(statusLog_);
}

void ContentView::setConfirmation(Confirmation confirm) { confirm_ = std::move(confirm); }

void ContentView::updateEnabled() {
  const bool canAct = !isBusy_ && selectedDrive_.has_value();
  ui_->refreshButton->setEnabled(!isBusy_);
  ui_->formatButton->setEnabled(canAct);
  ui_->infoButton->setEnabled(canAct);
  ui_->checkButton->setEnabled(canAct);
}

void ContentView::syncPicker() {
  QComboBox* picker = ui_->drivePicker;
  const QList<Drive>& drives = diskManager_->drives();
  if (ui_->pickerDrives != drives) {
    ui_->pickerDrives = drives;
    const QSignalBlocker quiet(picker);
    picker->clear();
    for (const Drive& drive : drives) picker->addItem(drive.description);
  }
  const qsizetype chosen = selectedDrive_ ? ui_->pickerDrives.indexOf(*selectedDrive_) : -1;
  const QSignalBlocker quiet(picker);
  picker->setCurrentIndex(int(chosen));
}

void ContentView::startWorkflow(QCoro::Task<> task) {
  ++runningWorkflows_;
  superviseWorkflow(std::move(task), QPointer<ContentView>(this));
}

void ContentView::workflowEnded() {
  --runningWorkflows_;
  emit workflowFinished();
}

void ContentView::closeEvent(QCloseEvent* event) {
  // Closing while a workflow runs hides the window at once and deletes it
  // when the workflow has ended.
  if (runningWorkflows_ > 0 && testAttribute(Qt::WA_DeleteOnClose)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    connect(this, &ContentView::workflowFinished, this, [this] {
      if (runningWorkflows_ == 0) deleteLater();
    });
  }
  QWidget::closeEvent(event);
}

void ContentView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (appeared_) return;
  appeared_ = true;
  refreshOnAppear();
}

void ContentView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  painter.fillRect(rect(), QColor::fromRgbF(0, 0, 0, float(theme::windowShade)));
}

}  // namespace tessaro
