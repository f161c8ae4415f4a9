// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/ContentView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <cmath>

#include "drives/DriveSelection.h"
#include "drives/ProbeProgressText.h"
#include "drives/VolumeName.h"
#include "jobs/CheckJob.h"
#include "jobs/InfoJob.h"
#include "jobs/RefreshJob.h"
#include "jobs/ReportTexts.h"
#include "jobs/WorkflowPolicy.h"
#include "ui/AboutBox.h"
#include "ui/BatchDialog.h"
#include "ui/BusyIndicator.h"
#include "ui/CapacityFormatDialog.h"
#include "ui/ContentViewWidgets.h"
#include "ui/ElidingLabel.h"
#include "ui/EraseConfirmation.h"
#include "ui/LogView.h"
#include "ui/StyledButton.h"
#include "ui/Theme.h"
#include "ui/WindowLocale.h"

// Resources of a static library are registered by hand; the macro has to be
// used outside any namespace.
static void registerIconResources() { Q_INIT_RESOURCE(icons); }

namespace tessaro {

ContentView::ContentView(std::unique_ptr<DiskManager> diskManager, QWidget* parent)
    : QWidget(parent),
      diskManager_(diskManager ? std::move(diskManager) : std::make_unique<DiskManager>()),
      ui_(std::make_unique<Widgets>()) {
  registerIconResources();
  // Dark whatever the desktop uses, also where the application set no palette.
  setPalette(theme::darkPalette());
  setAutoFillBackground(false);
  // paintEvent() fills every pixel: no background is drawn under it.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(820, 520);
  buildLayout();
  ui_->log->replaceText(welcomeText());
  connect(ui_->log, &LogView::logChanged, this, &ContentView::statusLogChanged);
  ui_->volumeHint->setText(volumeNameHint());
  // Every new drive list selects its first drive.
  connect(diskManager_.get(), &DiskManager::drivesChanged, this, &ContentView::drivesListed);
  connect(&jobs_, &WindowJobs::ended, this, &ContentView::jobEnded);
  syncPicker();
  updateEnabled();
}

ContentView::~ContentView() {
  // A batch's drives report into this view: they are stopped and have ended
  // before the view goes.
  if (batchDialog_) {
    tearingDown_ = true;
    delete batchDialog_.data();
  }
  // A workflow's task resumes into this view when its tool ends, so the view
  // has to stay until then; the window is already gone from the screen.
  if (jobs_.running() == 0) return;
  // A format is left to finish: nobody agreed to leave the drive half done.
  if (!jobs_.format()) jobs_.cancel();
  jobs_.cancelBackground();
  tearingDown_ = true;
  jobs_.waitForAll();
}

void ContentView::setSelectedDrive(const std::optional<Drive>& drive) {
  selectedDrive_ = drive;
  syncPicker();
  updateEnabled();
}

void ContentView::setLabel(const QString& label) {
  label_ = label;
  if (ui_->volumeField->text() != label) ui_->volumeField->setText(label);
  ui_->volumeHint->setText(volumeNameHint());
}

QString ContentView::volumeNameHint() const {
  const QString name = deriveVolumeName(label_);
  // Only the name is judged here; the drive and cluster size when Format is pressed.
  if (const auto refusal = diskManager_->tools().validateFormat(FormatRequest{{}, name, {}}))
    return *refusal;
  return tr("Written as: %1").arg(name);
}

void ContentView::showAbout() { AboutBox::show(this, diskManager_->tools()); }

void ContentView::setFinishNotifier(FinishNotifier notify, std::chrono::milliseconds longerThan) {
  finishNotice_.setNotifier(std::move(notify), longerThan);
}

void ContentView::notifyFinished(const Job* job, WindowJobs::Kind kind) {
  if (!finishNotice_.isDue() || isActiveWindow() || tearingDown_) return;
  FinishNotice::Action action;
  if (kind == WindowJobs::Kind::format) {
    action = FinishNotice::Action::format;
  } else if (kind == WindowJobs::Kind::capacityTest) {
    action = FinishNotice::Action::capacityTest;
  } else if (kind == WindowJobs::Kind::check) {
    action = FinishNotice::Action::check;
  } else {
    return;
  }
  // The last line the action wrote says how it ended.
  ui_->log->recordWaiting();
  finishNotice_.send(action, !job->failure().has_value(),
                     statusLog().section(QLatin1Char('\n'), -1).trimmed());
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
  ui_->cancelButton->setVisible(busy);
  ui_->cancelButton->setEnabled(busy);
  if (!busy) ui_->probeProgress->setVisible(false);
}

void ContentView::setStatusLog(const QString& text) { ui_->log->replaceText(text); }

void ContentView::appendLog(const QString& text) { appendLogLines(text.split(QLatin1Char('\n'))); }

void ContentView::appendLogLines(const QStringList& lines) { ui_->log->appendLines(lines); }

bool ContentView::hasPendingLines() const { return ui_->log->hasPending(); }

const StatusLog& ContentView::log() const { return ui_->log->record(); }

void ContentView::setSavePathChooser(SavePathChooser choose) {
  chooseSavePath_ = std::move(choose);
}

QString ContentView::suggestedLogName() const {
  //: The file name Save Log suggests; a date and time follow.
  QString name = tr("Tessaro log") + QLatin1Char(' ') +
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
  if (!logDevice_.isEmpty()) name += QLatin1Char(' ') + logDevice_;
  return name + QStringLiteral(".txt");
}

void ContentView::saveLog() {
  const QString suggested =
      QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
          .filePath(suggestedLogName());
  const QString path =
      chooseSavePath_
          ? chooseSavePath_(suggested)
          : QFileDialog::getSaveFileName(this, tr("Save Log"), suggested, tr("Text files (*.txt)"));
  if (path.isEmpty()) return;
  // Lines still on their way belong in the file.
  ui_->log->recordWaiting();
  if (const auto failure = log().saveTo(path)) {
    QMessageBox::warning(this, tr("Save Log"),
                         tr("The log could not be saved to %1: %2").arg(path, *failure));
  }
}

void ContentView::setStopConfirmation(StopConfirmation confirm) {
  confirmStop_ = std::move(confirm);
}

bool ContentView::confirmStoppingFormat(const QString& question) {
  if (confirmStop_) return confirmStop_(question);
  QMessageBox box(this);
  box.setIcon(QMessageBox::Warning);
  box.setWindowTitle(tr("Stop the format?"));
  box.setText(question);
  box.setInformativeText(
      tr("The drive has already been partly erased. If the format stops now, "
         "the drive will be unusable until it is formatted again."));
  QPushButton* stop = box.addButton(tr("Stop Format"), QMessageBox::DestructiveRole);
  theme::styleDestructive(stop);
  QPushButton* keep = box.addButton(tr("Keep Formatting"), QMessageBox::RejectRole);
  box.setDefaultButton(keep);
  box.setEscapeButton(keep);
  box.exec();
  return box.clickedButton() == stop;
}

void ContentView::cancelWorkflow() {
  if (!jobs_.canCancel()) return;
  if (jobs_.format() && jobs_.format()->hasBegunWriting() &&
      !confirmStoppingFormat(
          tr("The format of %1 has begun writing. Stop it anyway?").arg(logDevice_)))
    return;
  jobs_.cancel();
  ui_->cancelButton->setEnabled(false);
}

void ContentView::setConfirmation(Confirmation confirm) { confirm_ = std::move(confirm); }

void ContentView::setCapacityFormatOffer(CapacityFormatOffer offer) {
  offerCapacityFormat_ = std::move(offer);
}

bool ContentView::confirmErase(const FormatRequest& request) {
  return confirm_ ? confirm_(request.drive) : EraseConfirmation::forFormat(request).ask(this);
}

void ContentView::setCapacityTestChoice(CapacityTestChoice choose) {
  chooseCapacityTest_ = std::move(choose);
}

std::optional<bool> ContentView::confirmCapacityTest(const Drive& drive) {
  if (chooseCapacityTest_) return chooseCapacityTest_(drive);
  if (confirm_) return confirm_(drive) ? std::optional<bool>(false) : std::nullopt;
  bool full = false;
  if (!EraseConfirmation::forCapacityTest(drive).ask(this, &full)) return std::nullopt;
  return full;
}

void ContentView::updateEnabled() {
  const bool canAct = !isBusy_ && selectedDrive_.has_value();
  ui_->refreshButton->setEnabled(!isBusy_);
  ui_->severalButton->setEnabled(canAct);
  ui_->formatButton->setEnabled(canAct);
  ui_->infoButton->setEnabled(canAct);
  ui_->checkButton->setEnabled(canAct);
  ui_->probeButton->setEnabled(canAct);
}

void ContentView::syncPicker() {
  QComboBox* picker = ui_->drivePicker;
  const QList<Drive>& drives = diskManager_->drives();
  if (ui_->pickerDrives != drives) {
    ui_->pickerDrives = drives;
    // Entries change in place, so that an open list or the focus stays put.
    const QSignalBlocker quiet(picker);
    while (picker->count() > drives.size()) picker->removeItem(picker->count() - 1);
    for (int i = 0; i < drives.size(); ++i) {
      if (i == picker->count()) {
        picker->addItem(windowDriveDescription(drives[i]));
      } else if (picker->itemText(i) != windowDriveDescription(drives[i])) {
        picker->setItemText(i, windowDriveDescription(drives[i]));
      }
    }
  }
  // Shown greyed while no entry is chosen; only an empty list says so.
  picker->setPlaceholderText(drives.isEmpty() ? tr("No external drive found \u2014 plug one in")
                                              : QString());
  const qsizetype chosen = selectedDrive_ ? ui_->pickerDrives.indexOf(*selectedDrive_) : -1;
  const QSignalBlocker quiet(picker);
  picker->setCurrentIndex(int(chosen));
}

void ContentView::drivesListed() {
  if (!devicesRemoved_) {
    selectFirstDrive();
    return;
  }
  const DriveSelection next =
      DriveSelection::follow(selectedDrive_, diskManager_->drives(), *devicesRemoved_);
  setSelectedDrive(next.selected);
  if (next.removed && announceRemoval_)
    appendLog(reportText::driveRemoved(windowDriveDescription(*next.removed)));
}

void ContentView::selectFirstDrive() {
  const QList<Drive>& drives = diskManager_->drives();
  setSelectedDrive(drives.isEmpty() ? std::nullopt : std::optional<Drive>(drives.first()));
}

void ContentView::startJob(std::unique_ptr<Job> job, WindowJobs::Kind kind,
                           LogReport::Outcome outcome) {
  finishNotice_.begin();
  logDevice_ = selectedDrive_ ? selectedDrive_->bsdName : QString();
  jobs_.start(std::move(job), std::make_unique<LogReport>(*this, outcome), kind);
}

void ContentView::jobEnded(const Job* job, WindowJobs::Kind kind) {
  if (kind == WindowJobs::Kind::backgroundRefresh) {
    devicesRemoved_.reset();
    announceRemoval_ = true;
  }
  notifyFinished(job, kind);
  // A drive that has gone leaves the list at once; the job has said so.
  if (job->failure() && job->failure()->kind == JobFailure::Kind::noSuchDevice && !tearingDown_) {
    QTimer::singleShot(0, this, [this, gone = logDevice_] { refreshInBackground({gone}, false); });
  }
  std::optional<ProbeResult> probed;
  if (kind == WindowJobs::Kind::capacityTest) probed = static_cast<const ProbeJob*>(job)->result();
  emit workflowFinished();
  // Offered once the test's account is complete, outside the job's end.
  if (probed && !tearingDown_) {
    QTimer::singleShot(0, this, [this, drive = probedDrive_, result = *probed] {
      offerCapacityFormat(drive, result);
    });
  }
}

void ContentView::refreshOnAppear() {
  startJob(std::make_unique<RefreshJob>(*diskManager_, RefreshJob::Occasion::startUp),
           WindowJobs::Kind::other, LogReport::Outcome::replacesLog);
}

// Adds to the log instead of replacing it: what the last action printed stays.
// Nobody asked for it, so it runs in the background: the buttons, the focus
// and the selection stay as they are while it runs.
void ContentView::refreshAfterDeviceChange(const QSet<QString>& removedNames) {
  refreshInBackground(removedNames, true);
}

void ContentView::refreshInBackground(const QSet<QString>& removedNames, bool announceRemoval) {
  if (tearingDown_ || jobs_.isRefreshingInBackground()) return;
  devicesRemoved_ = removedNames;
  announceRemoval_ = announceRemoval;
  jobs_.start(
      std::make_unique<RefreshJob>(*diskManager_, RefreshJob::Occasion::deviceChange),
      std::make_unique<LogReport>(*this, LogReport::Outcome::appended, LogReport::Busy::background),
      WindowJobs::Kind::backgroundRefresh);
}

void ContentView::refreshDrives() {
  startJob(std::make_unique<RefreshJob>(*diskManager_, RefreshJob::Occasion::request),
           WindowJobs::Kind::other, LogReport::Outcome::replacesLog);
}

void ContentView::formatSelectedDrive() {
  if (!selectedDrive_) return;
  FormatRequest request{*selectedDrive_, deriveVolumeName(label_), cluster_.bytes()};
  if (WorkflowPolicy(diskManager_->tools()).asksBeforeFormat(request) && !confirmErase(request))
    return;
  startFormat(std::move(request));
}

void ContentView::startFormat(FormatRequest request) {
  startJob(std::make_unique<FormatJob>(diskManager_->tools(), diskManager_->runner(),
                                       std::move(request)),
           WindowJobs::Kind::format);
}

void ContentView::probeSelectedDrive() {
  if (!selectedDrive_) return;
  std::optional<bool> full = false;
  if (WorkflowPolicy(diskManager_->tools()).asksBeforeCapacityTest(*selectedDrive_))
    full = confirmCapacityTest(*selectedDrive_);
  if (!full) return;
  probedDrive_ = *selectedDrive_;
  ui_->probeProgress->setValue(0);
  ui_->probeProgress->setFormat(probeProgressText(ProbeProgress{}));
  ui_->probeProgress->setVisible(true);
  startJob(std::make_unique<ProbeJob>(diskManager_->tools(), diskManager_->runner(),
                                      *selectedDrive_, *full),
           WindowJobs::Kind::capacityTest);
}

void ContentView::showProbeProgress(const ProbeProgress& progress) {
  QMetaObject::invokeMethod(
      this,
      [this, progress] {
        // Progress still on its way when the test has ended is stale.
        if (!jobs_.capacityTest()) return;
        ui_->probeProgress->setValue(int(std::floor(progress.fraction * 100.0)));
        ui_->probeProgress->setFormat(probeProgressText(progress));
      },
      Qt::QueuedConnection);
}

void ContentView::showStepProgress(double fraction) {
  QMetaObject::invokeMethod(
      this,
      [this, fraction] {
        if (!jobs_.format() && !jobs_.check()) return;
        ui_->probeProgress->setValue(int(std::floor(fraction * 100.0)));
        ui_->probeProgress->setFormat(probeProgressText(ProbeProgress{fraction, std::nullopt, 0}));
        ui_->probeProgress->setVisible(true);
      },
      Qt::QueuedConnection);
}

void ContentView::offerCapacityFormat(const Drive& drive, const ProbeResult& result) {
  if (isBusy_) return;
  WorkflowPolicy::CapacityFormat offer =
      WorkflowPolicy(diskManager_->tools())
          .formatAfterTest(drive, result, label_, cluster_.bytes());
  if (offer.unusable) {
    appendLog(tr("No format is offered: %1 failed the capacity test; do not trust it with data.")
                  .arg(drive.devicePath));
    return;
  }
  if (offer.refusal) {
    appendLog(offer.withinHeldData
                  ? tr("Not formatted within the part that holds data: %1").arg(*offer.refusal)
                  : tr("Not formatted: %1").arg(*offer.refusal));
    return;
  }
  const qint64 partitionBytes = offer.request.partitionBytes.value_or(0);
  const bool agreed = offerCapacityFormat_ ? offerCapacityFormat_(drive, result, partitionBytes)
                                           : CapacityFormatDialog::ask(this, offer.request, result);
  if (!agreed) return;
  startFormat(std::move(offer.request));
}

void ContentView::showDriveInfo() {
  if (!selectedDrive_) return;
  startJob(
      std::make_unique<InfoJob>(diskManager_->tools(), diskManager_->runner(), *selectedDrive_),
      WindowJobs::Kind::other);
}

void ContentView::checkSelectedDrive() {
  if (!selectedDrive_) return;
  startJob(
      std::make_unique<CheckJob>(diskManager_->tools(), diskManager_->runner(), *selectedDrive_),
      WindowJobs::Kind::check);
}

void ContentView::chooseSeveralDrives() {
  if (isBusy_ || batchDialog_) return;
  auto* dialog = new BatchDialog(*this, diskManager_->drives());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  batchDialog_ = dialog;
  dialog->open();
}

BatchDialog* ContentView::batchDialog() const { return batchDialog_; }

void ContentView::beginBatch(const QString& title) {
  finishNotice_.begin();
  logDevice_.clear();
  setStatusLog(title);
  setBusy(true);
}

void ContentView::endBatch(FinishNotice::Action action, bool succeeded, const QString& counted) {
  setBusy(false);
  if (finishNotice_.isDue() && !isActiveWindow() && !tearingDown_) {
    ui_->log->flush();
    finishNotice_.send(action, succeeded, counted);
  }
  emit workflowFinished();
}

void ContentView::closeEvent(QCloseEvent* event) {
  // Closing while a workflow runs hides the window at once and deletes it
  // when the workflow has ended.
  if (jobs_.running() > 0 && jobs_.format()) {
    const QString question =
        jobs_.format()->hasBegunWriting()
            ? tr("The format of %1 has begun writing. Stop it and close the window?")
                  .arg(logDevice_)
            : tr("A format of %1 is about to begin. Stop it and close the window?").arg(logDevice_);
    if (!confirmStoppingFormat(question)) {
      event->ignore();
      return;
    }
  }
  if (jobs_.running() > 0) jobs_.cancel();
  jobs_.cancelBackground();
  if (jobs_.running() > 0 && testAttribute(Qt::WA_DeleteOnClose)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    connect(this, &ContentView::workflowFinished, this, [this] {
      if (jobs_.running() == 0) deleteLater();
    });
  }
  QWidget::closeEvent(event);
}

void ContentView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (appeared_) return;
  appeared_ = true;
  // A list begun while the window was built is in its first frame: the
  // refresh takes it without waiting for the event loop. One that takes
  // longer comes in a later frame.
  diskManager_->waitForBegunRefresh(begunListWait);
  refreshOnAppear();
}

void ContentView::paintEvent(QPaintEvent* event) {
  // The window colour under the shade, in one opaque fill.
  const QColor window = palette().color(QPalette::Window);
  const float kept = float(1.0 - theme::windowShade);
  QPainter(this).fillRect(event->rect(), QColor::fromRgbF(window.redF() * kept,
                                                          window.greenF() * kept,
                                                          window.blueF() * kept));
}

}  // namespace tessaro
