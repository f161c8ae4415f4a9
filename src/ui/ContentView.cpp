// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/ContentView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <cmath>

#include "drives/DriveSelection.h"
#include "drives/FormatRequestRules.h"
#include "jobs/CheckJob.h"
#include "jobs/InfoJob.h"
#include "jobs/RefreshJob.h"
#include "jobs/ReportTexts.h"
#include "ui/AboutBox.h"
#include "ui/BusyIndicator.h"
#include "ui/ContentViewWidgets.h"
#include "ui/DesktopNotification.h"
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

namespace {

// "42 %, about 3 min left", as the progress bar shows it.
QString progressText(const ProbeProgress& progress) {
  const int percent = int(std::floor(std::clamp(progress.fraction, 0.0, 1.0) * 100.0));
  if (!progress.secondsLeft || percent >= 100) return ContentView::tr("%1 %").arg(percent);
  const qint64 seconds = *progress.secondsLeft;
  if (seconds < 60) return ContentView::tr("%1 %, about %2 s left").arg(percent).arg(seconds);
  return ContentView::tr("%1 %, about %2 min left").arg(percent).arg((seconds + 30) / 60);
}

QString gigabytes(quint64 bytes) {
  QLocale numbers = windowLocale();
  numbers.setNumberOptions(QLocale::OmitGroupSeparator);
  return numbers.toString(double(bytes) / 1e9, 'f', 2);
}

bool askToFormatWithin(QWidget* parent, const FormatRequest& request, const ProbeResult& result) {
  const Drive& drive = request.drive;
  const qint64 partitionBytes = request.partitionBytes.value_or(drive.size);
  QMessageBox box(parent);
  box.setIcon(QMessageBox::Warning);
  QPushButton* format = nullptr;
  if (result.genuine()) {
    box.setWindowTitle(ContentView::tr("Format the tested drive?"));
    box.setText(ContentView::tr("%1 (%2) holds data in all of its %3 GB. The test left test "
                                "data on it.")
                    .arg(windowDriveDescription(drive), drive.devicePath,
                         gigabytes(result.claimedBytes)));
    box.setInformativeText(
        ContentView::tr("Format it with one FAT32 partition over the whole drive?") +
        QStringLiteral("\n\n") + EraseConfirmation::formatDetails(request));
    format = box.addButton(ContentView::tr("Format"), QMessageBox::DestructiveRole);
  } else {
    box.setWindowTitle(ContentView::tr("Format only what holds data?"));
    box.setText(ContentView::tr("%1 (%2) holds data only in its first %3 GB of %4 GB.")
                    .arg(windowDriveDescription(drive), drive.devicePath,
                         gigabytes(result.usableBytes), gigabytes(result.claimedBytes)));
    box.setInformativeText(
        ContentView::tr("Format it with one FAT32 partition of %1 GB, leaving the rest unused? "
                        "Files beyond that size would be lost on this drive.")
            .arg(gigabytes(quint64(partitionBytes))) +
        QStringLiteral("\n\n") + EraseConfirmation::formatDetails(request));
    format = box.addButton(ContentView::tr("Format %1 GB").arg(gigabytes(quint64(partitionBytes))),
                           QMessageBox::DestructiveRole);
  }
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == format;
}

}  // namespace

// Awaits a job (which never raises) and reports its end while the view still
// exists. The job and its report live in this frame until then.
QCoro::Task<> ContentView::superviseJob(std::unique_ptr<Job> job, std::unique_ptr<LogReport> report,
                                        QPointer<ContentView> view) {
  co_await job->run(*report);
  if (view) view->jobEnded(job.get());
}

ContentView::ContentView(std::unique_ptr<DiskManager> diskManager, QWidget* parent)
    : QWidget(parent),
      diskManager_(diskManager ? std::move(diskManager) : std::make_unique<DiskManager>()),
      ui_(std::make_unique<Widgets>()) {
  statusLog_.replace(welcomeText());
  registerIconResources();
  // Dark whatever the desktop uses, also where the application set no palette.
  setPalette(theme::darkPalette());
  setAutoFillBackground(false);
  setMinimumSize(820, 520);
  buildLayout();
  ui_->log->replaceText(welcomeText());
  ui_->volumeHint->setText(volumeNameHint());
  // Every new drive list selects its first drive.
  connect(diskManager_.get(), &DiskManager::drivesChanged, this, &ContentView::drivesListed);
  syncPicker();
  updateEnabled();
}

ContentView::~ContentView() {
  // A workflow's task resumes into this view when its tool ends, so the view
  // has to stay until then; the window is already gone from the screen.
  if (runningWorkflows_ == 0) return;
  // A format is left to finish: nobody agreed to leave the drive half done.
  if (!runningFormat_ && workflowCancel_) workflowCancel_->cancel();
  if (backgroundCancel_) backgroundCancel_->cancel();
  tearingDown_ = true;
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
  notifyFinished_ = std::move(notify);
  notifyAfter_ = longerThan;
}

void ContentView::notifyFinished(const Job* job) {
  if (!actionClock_.isValid() || actionClock_.elapsed() <= notifyAfter_.count()) return;
  if (isActiveWindow() || tearingDown_) return;
  const bool succeeded = !job->failure().has_value();
  QString summary;
  if (job == runningFormat_) {
    summary = succeeded ? tr("Format finished") : tr("Format did not finish");
  } else if (job == runningProbe_) {
    summary = succeeded ? tr("Capacity test finished") : tr("Capacity test did not finish");
  } else if (job == runningCheck_) {
    summary = succeeded ? tr("Check finished") : tr("Check did not finish");
  } else {
    return;
  }
  // The last line the action wrote says how it ended.
  deliverAllPendingLines();
  const QString body = statusLog_.text().section(QLatin1Char('\n'), -1).trimmed();
  if (notifyFinished_) {
    notifyFinished_(summary, body);
  } else {
    DesktopNotification::send(summary, body);
  }
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

void ContentView::setStatusLog(const QString& text) {
  statusLog_.replace(text);
  ui_->log->replaceText(text);
  emit statusLogChanged();
}

void ContentView::appendLog(const QString& text) { appendLogLines(text.split(QLatin1Char('\n'))); }

namespace {
// Handed to the log in pieces of at most this much, for no longer than
// deliveryMilliseconds in one turn of the event loop.
constexpr qsizetype deliveryLines = 500;
constexpr qsizetype deliveryCharacters = 50'000;
constexpr qint64 deliveryMilliseconds = 6;
// A reading thread waits while more than this waits for the window.
constexpr qsizetype pendingCharacterLimit = 4'000'000;
}  // namespace

void ContentView::appendLogLines(const QStringList& lines) {
  QMutexLocker lock(&pendingMutex_);
  // A flood from a reading thread waits for the window instead of piling up;
  // the window's own thread never waits for itself.
  if (QThread::currentThread() != thread()) {
    while (pendingCharacters_ > pendingCharacterLimit) pendingDrained_.wait(&pendingMutex_);
  }
  pendingLines_ += lines;
  for (const QString& line : lines) pendingCharacters_ += line.size() + 1;
  if (deliveryQueued_) return;
  deliveryQueued_ = true;
  // Always queued, also from the main thread, so a line never shows up before
  // the caller's current step has finished.
  QMetaObject::invokeMethod(this, &ContentView::deliverPendingLines, Qt::QueuedConnection);
}

bool ContentView::hasPendingLines() const {
  QMutexLocker lock(&pendingMutex_);
  return !pendingLines_.isEmpty() || ui_->log->hasPending();
}

void ContentView::deliverPendingLines() {
  QElapsedTimer spent;
  spent.start();
  bool more = true;
  while (more && spent.elapsed() < deliveryMilliseconds) {
    QStringList batch;
    {
      QMutexLocker lock(&pendingMutex_);
      qsizetype count = 0, characters = 0;
      while (count < pendingLines_.size() && count < deliveryLines &&
             (count == 0 || characters + pendingLines_.at(count).size() < deliveryCharacters)) {
        characters += pendingLines_.at(count).size() + 1;
        ++count;
      }
      if (count == pendingLines_.size()) {
        batch.swap(pendingLines_);
      } else {
        batch = pendingLines_.mid(0, count);
        pendingLines_.remove(0, count);
      }
      pendingCharacters_ -= characters;
      more = !pendingLines_.isEmpty();
      deliveryQueued_ = more;
      pendingDrained_.wakeAll();
    }
    if (batch.isEmpty()) break;
    statusLog_.append(batch);
    ui_->log->appendLines(batch);
  }
  emit statusLogChanged();
  // The rest comes in a later turn, after the events waiting now (input among them).
  if (more)
    QMetaObject::invokeMethod(this, &ContentView::deliverPendingLines, Qt::QueuedConnection);
}

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
  deliverAllPendingLines();
  if (const auto failure = statusLog_.saveTo(path)) {
    QMessageBox::warning(this, tr("Save Log"),
                         tr("The log could not be saved to %1: %2").arg(path, *failure));
  }
}

void ContentView::deliverAllPendingLines() {
  QStringList batch;
  {
    QMutexLocker lock(&pendingMutex_);
    batch.swap(pendingLines_);
    pendingCharacters_ = 0;
    pendingDrained_.wakeAll();
  }
  if (batch.isEmpty()) return;
  statusLog_.append(batch);
  ui_->log->appendLines(batch);
  emit statusLogChanged();
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
  QPushButton* keep = box.addButton(tr("Keep Formatting"), QMessageBox::RejectRole);
  box.setDefaultButton(keep);
  box.setEscapeButton(keep);
  box.exec();
  return box.clickedButton() == stop;
}

void ContentView::cancelWorkflow() {
  if (!workflowCancel_ || workflowCancel_->isCancelled()) return;
  if (runningFormat_ && runningFormat_->hasBegunWriting() &&
      !confirmStoppingFormat(
          tr("The format of %1 has begun writing. Stop it anyway?").arg(logDevice_)))
    return;
  workflowCancel_->cancel();
  ui_->cancelButton->setEnabled(false);
}

void ContentView::setConfirmation(Confirmation confirm) { confirm_ = std::move(confirm); }

void ContentView::setCapacityFormatOffer(CapacityFormatOffer offer) {
  offerCapacityFormat_ = std::move(offer);
}

bool ContentView::confirmErase(const FormatRequest& request) {
  return confirm_ ? confirm_(request.drive) : EraseConfirmation::forFormat(request).ask(this);
}

bool ContentView::confirmCapacityTest(const Drive& drive) {
  return confirm_ ? confirm_(drive) : EraseConfirmation::forCapacityTest(drive).ask(this);
}

void ContentView::updateEnabled() {
  const bool canAct = !isBusy_ && selectedDrive_.has_value();
  ui_->refreshButton->setEnabled(!isBusy_);
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
  if (next.removed) appendLog(reportText::driveRemoved(windowDriveDescription(*next.removed)));
}

void ContentView::selectFirstDrive() {
  const QList<Drive>& drives = diskManager_->drives();
  setSelectedDrive(drives.isEmpty() ? std::nullopt : std::optional<Drive>(drives.first()));
}

void ContentView::startJob(std::unique_ptr<Job> job, LogReport::Outcome outcome) {
  ++runningWorkflows_;
  actionClock_.start();
  logDevice_ = selectedDrive_ ? selectedDrive_->bsdName : QString();
  workflowCancel_ = job->cancellation();
  superviseJob(std::move(job), std::make_unique<LogReport>(*this, outcome),
               QPointer<ContentView>(this));
}

void ContentView::jobEnded(const Job* job) {
  --runningWorkflows_;
  if (job == backgroundRefresh_) {
    backgroundRefresh_ = nullptr;
    backgroundCancel_.reset();
    devicesRemoved_.reset();
  }
  notifyFinished(job);
  if (job == runningFormat_) runningFormat_ = nullptr;
  if (job == runningCheck_) runningCheck_ = nullptr;
  std::optional<ProbeResult> probed;
  if (runningProbe_ && job == runningProbe_) {
    probed = runningProbe_->result();
    runningProbe_ = nullptr;
  }
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
           LogReport::Outcome::replacesLog);
}

// Adds to the log instead of replacing it: what the last action printed stays.
// Nobody asked for it, so it runs in the background: the buttons, the focus
// and the selection stay as they are while it runs.
void ContentView::refreshAfterDeviceChange(const QSet<QString>& removedNames) {
  if (tearingDown_ || backgroundRefresh_) return;
  devicesRemoved_ = removedNames;
  auto job = std::make_unique<RefreshJob>(*diskManager_, RefreshJob::Occasion::deviceChange);
  backgroundRefresh_ = job.get();
  backgroundCancel_ = job->cancellation();
  ++runningWorkflows_;
  superviseJob(
      std::move(job),
      std::make_unique<LogReport>(*this, LogReport::Outcome::appended, LogReport::Busy::background),
      QPointer<ContentView>(this));
}

void ContentView::refreshDrives() {
  startJob(std::make_unique<RefreshJob>(*diskManager_, RefreshJob::Occasion::request),
           LogReport::Outcome::replacesLog);
}

void ContentView::formatSelectedDrive() {
  if (!selectedDrive_) return;
  FormatRequest request{*selectedDrive_, deriveVolumeName(label_), cluster_.bytes()};
  // A request that will be refused erases nothing, so there is nothing to
  // confirm; the job says why.
  if (!diskManager_->tools().validateFormat(request) && !confirmErase(request)) return;
  startFormat(std::move(request));
}

void ContentView::startFormat(FormatRequest request) {
  auto job = std::make_unique<FormatJob>(diskManager_->tools(), diskManager_->runner(),
                                         std::move(request));
  runningFormat_ = job.get();
  startJob(std::move(job));
}

void ContentView::probeSelectedDrive() {
  if (!selectedDrive_) return;
  // Where there is no capacity test nothing is erased, so there is nothing to
  // confirm; the job says so.
  const bool available = diskManager_->tools().probeCommand(selectedDrive_->bsdName).has_value();
  if (available && !confirmCapacityTest(*selectedDrive_)) return;
  auto job =
      std::make_unique<ProbeJob>(diskManager_->tools(), diskManager_->runner(), *selectedDrive_);
  runningProbe_ = job.get();
  probedDrive_ = *selectedDrive_;
  ui_->probeProgress->setValue(0);
  ui_->probeProgress->setFormat(progressText({}));
  ui_->probeProgress->setVisible(true);
  startJob(std::move(job));
}

void ContentView::showProbeProgress(const ProbeProgress& progress) {
  QMetaObject::invokeMethod(
      this,
      [this, progress] {
        // Progress still on its way when the test has ended is stale.
        if (!runningProbe_) return;
        ui_->probeProgress->setValue(int(std::floor(progress.fraction * 100.0)));
        ui_->probeProgress->setFormat(progressText(progress));
      },
      Qt::QueuedConnection);
}

void ContentView::showStepProgress(double fraction) {
  QMetaObject::invokeMethod(
      this,
      [this, fraction] {
        if (!runningFormat_ && !runningCheck_) return;
        ui_->probeProgress->setValue(int(std::floor(fraction * 100.0)));
        ui_->probeProgress->setFormat(progressText({fraction, std::nullopt, 0}));
        ui_->probeProgress->setVisible(true);
      },
      Qt::QueuedConnection);
}

void ContentView::offerCapacityFormat(const Drive& drive, const ProbeResult& result) {
  if (isBusy_) return;
  const qint64 partitionBytes =
      result.genuine() ? 0 : partitionBytesWithin(qint64(result.usableBytes));
  FormatRequest request{drive, deriveVolumeName(label_), cluster_.bytes(),
                        result.genuine() ? std::nullopt : std::optional<qint64>(partitionBytes)};
  if (const auto refusal = diskManager_->tools().validateFormat(request)) {
    appendLog(result.genuine()
                  ? tr("Not formatted: %1").arg(*refusal)
                  : tr("Not formatted within the part that holds data: %1").arg(*refusal));
    return;
  }
  const bool agreed = offerCapacityFormat_ ? offerCapacityFormat_(drive, result, partitionBytes)
                                           : askToFormatWithin(this, request, result);
  if (!agreed) return;
  startFormat(std::move(request));
}

void ContentView::showDriveInfo() {
  if (!selectedDrive_) return;
  startJob(
      std::make_unique<InfoJob>(diskManager_->tools(), diskManager_->runner(), *selectedDrive_));
}

void ContentView::checkSelectedDrive() {
  if (!selectedDrive_) return;
  auto job =
      std::make_unique<CheckJob>(diskManager_->tools(), diskManager_->runner(), *selectedDrive_);
  runningCheck_ = job.get();
  startJob(std::move(job));
}

void ContentView::closeEvent(QCloseEvent* event) {
  // Closing while a workflow runs hides the window at once and deletes it
  // when the workflow has ended.
  if (runningWorkflows_ > 0 && runningFormat_) {
    const QString question =
        runningFormat_->hasBegunWriting()
            ? tr("The format of %1 has begun writing. Stop it and close the window?")
                  .arg(logDevice_)
            : tr("A format of %1 is about to begin. Stop it and close the window?").arg(logDevice_);
    if (!confirmStoppingFormat(question)) {
      event->ignore();
      return;
    }
  }
  if (runningWorkflows_ > 0 && workflowCancel_) workflowCancel_->cancel();
  if (backgroundCancel_) backgroundCancel_->cancel();
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
