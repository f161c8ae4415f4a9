// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/BatchDialog.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cmath>
#include <memory>
#include <vector>

#include "drives/VolumeName.h"
#include "jobs/BatchJob.h"
#include "jobs/CheckJob.h"
#include "jobs/FormatJob.h"
#include "jobs/ProbeJob.h"
#include "ui/BatchRowReport.h"
#include "ui/ContentView.h"
#include "ui/FinishNotice.h"
#include "ui/WindowLocale.h"

namespace tessaro {

namespace {
FinishNotice::Action noticeOf(BatchDialog::Action action) {
  switch (action) {
    case BatchDialog::Action::format:
      return FinishNotice::Action::format;
    case BatchDialog::Action::check:
      return FinishNotice::Action::check;
    case BatchDialog::Action::capacityTest:
      break;
  }
  return FinishNotice::Action::capacityTest;
}
}  // namespace

BatchDialog::BatchDialog(ContentView& view, QList<Drive> drives)
    : QDialog(&view), view_(view), drives_(std::move(drives)) {
  setWindowTitle(tr("Several Drives"));
  auto* layout = new QVBoxLayout(this);
  pages_ = new QStackedWidget(this);
  layout->addWidget(pages_);

  auto* choose = new QWidget(pages_);
  auto* chooseLayout = new QVBoxLayout(choose);
  chooseLayout->setContentsMargins(0, 0, 0, 0);
  auto* hint = new QLabel(tr("Tick the drives to work on (Space ticks the current one):"), choose);
  chooseLayout->addWidget(hint);
  list_ = new QListWidget(choose);
  list_->setObjectName(QStringLiteral("batchDrives"));
  list_->setAccessibleName(tr("Drives"));
  hint->setBuddy(list_);
  for (const Drive& drive : drives_) {
    auto* item = new QListWidgetItem(windowDriveDescription(drive), list_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  if (list_->count() > 0) list_->setCurrentRow(0);
  chooseLayout->addWidget(list_);
  auto* actions = new QDialogButtonBox(choose);
  formatButton_ = actions->addButton(tr("&Format All"), QDialogButtonBox::ActionRole);
  formatButton_->setObjectName(QStringLiteral("batchFormat"));
  checkButton_ = actions->addButton(tr("&Check All"), QDialogButtonBox::ActionRole);
  checkButton_->setObjectName(QStringLiteral("batchCheck"));
  probeButton_ = actions->addButton(tr("&Test Capacity of All"), QDialogButtonBox::ActionRole);
  probeButton_->setObjectName(QStringLiteral("batchProbe"));
  actions->addButton(QDialogButtonBox::Close);
  connect(actions, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(formatButton_, &QPushButton::clicked, this, [this] { start(Action::format); });
  connect(checkButton_, &QPushButton::clicked, this, [this] { start(Action::check); });
  connect(probeButton_, &QPushButton::clicked, this, [this] { start(Action::capacityTest); });
  connect(list_, &QListWidget::itemChanged, this, &BatchDialog::updateButtons);
  chooseLayout->addWidget(actions);
  pages_->addWidget(choose);

  rowsPage_ = new QWidget(pages_);
  pages_->addWidget(rowsPage_);
  cancelAllButton_ = new QPushButton(tr("Cancel &All"), this);
  cancelAllButton_->setObjectName(QStringLiteral("batchCancelAll"));
  cancelAllButton_->setVisible(false);
  connect(cancelAllButton_, &QPushButton::clicked, this, &BatchDialog::cancelAll);
  layout->addWidget(cancelAllButton_, 0, Qt::AlignRight);
  setMinimumWidth(560);
  updateButtons();
}

BatchDialog::~BatchDialog() {
  // The drives' jobs refer to this dialog: they end before it goes.
  if (!batch_) return;
  cancelAll();
  QEventLoop untilEnded;
  connect(this, &BatchDialog::batchFinished, &untilEnded, &QEventLoop::quit);
  untilEnded.exec();
}

QList<Drive> BatchDialog::chosenDrives() const {
  QList<Drive> chosen;
  for (int i = 0; i < list_->count(); ++i)
    if (list_->item(i)->checkState() == Qt::Checked) chosen << drives_.at(i);
  return chosen;
}

void BatchDialog::updateButtons() {
  const bool any = !batch_ && !chosenDrives().isEmpty();
  for (QPushButton* button : {formatButton_, checkButton_, probeButton_}) button->setEnabled(any);
}

void BatchDialog::start(Action action) {
  const QList<Drive> drives = chosenDrives();
  if (drives.isEmpty() || batch_ || view_.isBusy()) return;
  QList<FormatRequest> requests;
  for (const Drive& drive : drives)
    requests << FormatRequest{drive, deriveVolumeName(view_.label()), view_.cluster().bytes()};
  if (action == Action::format) {
    // A batch refuses to include any drive a single format would refuse.
    QStringList refusals;
    for (const FormatRequest& request : requests) {
      if (const auto refusal = view_.diskManager().tools().validateFormat(request))
        refusals << request.drive.bsdName + QStringLiteral(": ") + *refusal;
    }
    if (!refusals.isEmpty()) {
      view_.setStatusLog(tr("Nothing was formatted:") + QLatin1Char('\n') +
                         refusals.join(QLatin1Char('\n')));
      return;
    }
  }
  if (action != Action::check) {
    const EraseConfirmation question = action == Action::format
                                           ? EraseConfirmation::forBatchFormat(requests)
                                           : EraseConfirmation::forBatchCapacityTest(drives);
    if (!(confirm_ ? confirm_(question) : question.ask(this))) return;
  }
  run(action, drives);
}

QCoro::Task<> BatchDialog::run(Action action, QList<Drive> drives) {
  buildRows(drives);
  pages_->setCurrentWidget(rowsPage_);
  cancelAllButton_->setVisible(true);

  std::vector<std::unique_ptr<BatchRowReport>> reports;
  DiskManager& manager = view_.diskManager();
  BatchJob batch(manager.runner(), manager.tools().runsBatches());
  for (qsizetype i = 0; i < drives.size(); ++i) {
    const Drive& drive = drives.at(i);
    reports.push_back(std::make_unique<BatchRowReport>(view_, *this, i, drive.bsdName));
    batch.add(
        [&](ProcessRunner& runner) -> std::unique_ptr<Job> {
          if (action == Action::format) {
            return std::make_unique<FormatJob>(
                manager.tools(), runner,
                FormatRequest{drive, deriveVolumeName(view_.label()), view_.cluster().bytes()});
          }
          if (action == Action::check)
            return std::make_unique<CheckJob>(manager.tools(), runner, drive);
          return std::make_unique<ProbeJob>(manager.tools(), runner, drive);
        },
        *reports.back());
  }
  batch_ = &batch;
  updateButtons();
  const QString title = action == Action::format
                            ? tr("Formatting %n drives as FAT32.", nullptr, int(drives.size()))
                        : action == Action::check
                            ? tr("Checking %n drives.", nullptr, int(drives.size()))
                            : tr("Testing the capacity of %n drives.", nullptr, int(drives.size()));
  view_.beginBatch(title);
  const int done = co_await batch.run();
  const int failed = int(drives.size()) - done;
  if (const auto& refused = batch.refusedRights())
    view_.appendLogLines({refused->description + QLatin1Char(' ') + tr("No drive was started.")});
  for (qsizetype i = 0; i < drives.size(); ++i) {
    if (!batch.ran(i)) showResult(i, tr("Not started."));
    stops_[i]->setEnabled(false);
  }
  const QString counted =
      (action == Action::format  ? tr("%n formatted", nullptr, done)
       : action == Action::check ? tr("%n checked", nullptr, done)
                                 : tr("%n genuine", nullptr, done)) +
      (failed > 0 ? QStringLiteral(", ") + tr("%n failed", nullptr, failed) : QString());
  view_.appendLogLines({counted});
  batch_ = nullptr;
  cancelAllButton_->setText(tr("&Close"));
  disconnect(cancelAllButton_, nullptr, this, nullptr);
  connect(cancelAllButton_, &QPushButton::clicked, this, &QDialog::accept);
  view_.endBatch(noticeOf(action), failed == 0, counted);
  emit batchFinished();
}

void BatchDialog::buildRows(const QList<Drive>& drives) {
  auto* grid = new QGridLayout(rowsPage_);
  for (qsizetype i = 0; i < drives.size(); ++i) {
    const int row = int(i);
    auto* name = new QLabel(windowDriveDescription(drives.at(i)), rowsPage_);
    auto* bar = new QProgressBar(rowsPage_);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setObjectName(QStringLiteral("progress-") + drives.at(i).bsdName);
    auto* result = new QLabel(rowsPage_);
    result->setObjectName(QStringLiteral("result-") + drives.at(i).bsdName);
    result->setWordWrap(true);
    auto* stopButton = new QPushButton(tr("Stop"), rowsPage_);
    stopButton->setObjectName(QStringLiteral("stop-") + drives.at(i).bsdName);
    stopButton->setAccessibleName(tr("Stop %1").arg(drives.at(i).devicePath));
    connect(stopButton, &QPushButton::clicked, this, [this, i] { stop(i); });
    grid->addWidget(name, row * 2, 0);
    grid->addWidget(bar, row * 2, 1);
    grid->addWidget(stopButton, row * 2, 2);
    grid->addWidget(result, row * 2 + 1, 0, 1, 3);
    bars_ << bar;
    results_ << result;
    stops_ << stopButton;
  }
}

void BatchDialog::stop(qsizetype row) {
  if (!batch_ || row < 0 || row >= stops_.size()) return;
  batch_->cancel(row);
  stops_[row]->setEnabled(false);
}

void BatchDialog::cancelAll() {
  if (!batch_) return;
  batch_->cancel();
  for (QPushButton* stop : stops_) stop->setEnabled(false);
}

QStringList BatchDialog::results() const {
  QStringList texts;
  for (const QLabel* result : results_) texts << result->text();
  return texts;
}

void BatchDialog::showProgress(qsizetype row, double fraction, const QString& text) {
  QMetaObject::invokeMethod(
      this,
      [this, row, fraction, text] {
        if (row >= bars_.size()) return;
        bars_[row]->setValue(int(std::floor(fraction * 100.0)));
        bars_[row]->setFormat(text);
      },
      Qt::QueuedConnection);
}

void BatchDialog::showResult(qsizetype row, const QString& text) {
  QMetaObject::invokeMethod(
      this,
      [this, row, text] {
        if (row < results_.size()) results_[row]->setText(text);
      },
      Qt::QueuedConnection);
}

// While the drives run, closing the dialog would leave them unwatched: Cancel
// All stops them first.
void BatchDialog::reject() {
  if (batch_) return;
  QDialog::reject();
}

}  // namespace tessaro
