// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

#include "drives/TranslatedWording.h"
#include "ui/BusyIndicator.h"
#include "ui/ContentView.h"
#include "ui/ContentViewWidgets.h"
#include "ui/ElidingLabel.h"
#include "ui/FieldSurface.h"
#include "ui/LogView.h"
#include "ui/StyledButton.h"
#include "ui/Theme.h"

namespace tessaro {

namespace {
constexpr int columnInset = 20;
constexpr int sectionSpacing = 16;
constexpr int captionSpacing = 6;
constexpr int rowSpacing = 12;
constexpr int clusterColumnWidth = 220;
constexpr int progressWidth = 260;
constexpr int minimumLogHeight = 180;
constexpr int hintSpacing = 2;

QLabel* caption(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  theme::styleCaption(label);
  return label;
}

// A caption above a control on the field surface, 6 apart, leading-aligned.
QVBoxLayout* captionedColumn(QLabel* title, QWidget* surface) {
  auto* column = new QVBoxLayout;
  column->setSpacing(captionSpacing);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(title, 0, Qt::AlignLeft);
  column->addWidget(surface);
  return column;
}

// What a screen reader announces for a control.
void describe(QWidget* control, const QString& name, const QString& description) {
  control->setAccessibleName(name);
  control->setAccessibleDescription(description);
}

// Fields sit on the surface without a frame or fill of their own.
void makeBare(QWidget* control) {
  QPalette palette = control->palette();
  palette.setColor(QPalette::Base, Qt::transparent);
  control->setPalette(palette);
}
}  // namespace

void ContentView::buildLayout() {
  auto primary = std::make_shared<const PrimaryButtonStyle>();
  auto flat = std::make_shared<const FlatButtonStyle>();

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(columnInset, columnInset, columnInset, columnInset);
  column->setSpacing(sectionSpacing);

  // Header.
  auto* header = new QHBoxLayout;
  auto* title = new QLabel(QStringLiteral("Tessaro"), this);
  title->setObjectName(QStringLiteral("title"));
  title->setFont(theme::titleFont());
  ui_->refreshButton = new StyledButton(tr("&Refresh Drives"), flat, this);
  ui_->refreshButton->setObjectName(QStringLiteral("refreshButton"));
  ui_->refreshButton->setIconFile(QStringLiteral(":/icons/arrow-clockwise.svg"));
  describe(ui_->refreshButton, tr("Refresh Drives"),
           tr("Looks again for attached external and removable drives"));
  ui_->aboutButton = new StyledButton(tr("A&bout"), flat, this);
  ui_->aboutButton->setObjectName(QStringLiteral("aboutButton"));
  describe(ui_->aboutButton, tr("About Tessaro"),
           tr("Shows the version, the license and the tools Tessaro runs"));
  ui_->severalButton = new StyledButton(tr("&Several Drives\u2026"), flat, this);
  ui_->severalButton->setObjectName(QStringLiteral("severalButton"));
  describe(ui_->severalButton, tr("Several Drives"),
           tr("Formats, checks or tests several drives at once"));
  header->addWidget(title);
  header->addStretch(1);
  header->addWidget(ui_->severalButton);
  header->addWidget(ui_->aboutButton);
  header->addWidget(ui_->refreshButton);
  column->addLayout(header);

  // Drive section.
  ui_->drivePicker = new QComboBox(this);
  ui_->drivePicker->setObjectName(QStringLiteral("drivePicker"));
  describe(ui_->drivePicker, tr("Drive"),
           tr("The external or removable drive to format, show or check"));
  ui_->drivePicker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  ui_->drivePicker->setMinimumContentsLength(10);
  auto* driveCaption = caption(tr("Select External/Removable &Drive"), this);
  driveCaption->setBuddy(ui_->drivePicker);
  column->addLayout(captionedColumn(
      driveCaption, new FieldSurface(ui_->drivePicker, theme::fieldSurfaceOpacity, this)));

  // Options row.
  auto* options = new QHBoxLayout;
  options->setSpacing(rowSpacing);
  ui_->volumeField = new QLineEdit(this);
  ui_->volumeField->setObjectName(QStringLiteral("volumeField"));
  ui_->volumeField->setPlaceholderText(tr("VOLUME"));
  ui_->volumeField->setFrame(false);
  makeBare(ui_->volumeField);
  describe(ui_->volumeField, tr("Volume name"),
           tr("Optional name of the new FAT32 volume; UNTITLED when left empty"));
  auto* volumeCaption = caption(tr("&Volume Name (optional)"), this);
  volumeCaption->setBuddy(ui_->volumeField);
  // The field and, close under it, one quiet line with the name as it will be written.
  auto* volumeField = new QWidget(this);
  auto* fieldAndHint = new QVBoxLayout(volumeField);
  fieldAndHint->setContentsMargins(0, 0, 0, 0);
  fieldAndHint->setSpacing(hintSpacing);
  fieldAndHint->addWidget(new FieldSurface(ui_->volumeField, theme::fieldSurfaceOpacity, this));
  ui_->volumeHint = new ElidingLabel(this);
  ui_->volumeHint->setObjectName(QStringLiteral("volumeHint"));
  theme::styleCaption(ui_->volumeHint);
  fieldAndHint->addWidget(ui_->volumeHint);
  options->addLayout(captionedColumn(volumeCaption, volumeField), 1);

  auto* clusterColumn = new QWidget(this);
  clusterColumn->setObjectName(QStringLiteral("clusterColumn"));
  clusterColumn->setFixedWidth(clusterColumnWidth);
  auto* clusterPicker = new QWidget(clusterColumn);
  auto* clusterLine = new QHBoxLayout(clusterPicker);
  clusterLine->setContentsMargins(0, 0, 0, 0);
  clusterLine->setSpacing(8);
  auto* clusterLabel = new QLabel(tr("Cluster Si&ze"), clusterPicker);
  ui_->clusterMenu = new QComboBox(clusterPicker);
  ui_->clusterMenu->setObjectName(QStringLiteral("clusterMenu"));
  for (const ClusterOption& option : ClusterOption::allCases())
    ui_->clusterMenu->addItem(QString::fromStdString(
        option.bytes() ? option.rawValue() : ClusterOption::defaultName(TranslatedWording())));
  clusterLabel->setBuddy(ui_->clusterMenu);
  describe(ui_->clusterMenu, tr("Cluster size"),
           tr("Bytes per cluster of the new file system; Default lets the "
              "formatter choose"));
  clusterLine->addWidget(clusterLabel);
  clusterLine->addWidget(ui_->clusterMenu, 1);
  auto* clusterLayout =
      captionedColumn(caption(tr("Cluster Size (bytes)"), clusterColumn),
                      new FieldSurface(clusterPicker, theme::fieldSurfaceOpacity, clusterColumn));
  clusterColumn->setLayout(clusterLayout);
  options->addWidget(clusterColumn, 0, Qt::AlignTop);
  column->addLayout(options);

  // Action row: the buttons at their own widths, from the fields' leading
  // edge, whatever their titles' length in the user's language.
  auto* actions = new QWidget(this);
  actions->setObjectName(QStringLiteral("actionRow"));
  auto* actionRow = new QHBoxLayout(actions);
  actionRow->setContentsMargins(0, 0, 0, 0);
  actionRow->setSpacing(rowSpacing);
  ui_->formatButton = new StyledButton(tr("&Format to FAT32"), primary, actions);
  ui_->formatButton->setObjectName(QStringLiteral("formatButton"));
  ui_->formatButton->setFont(theme::headlineFont());
  ui_->formatButton->setIconFile(QStringLiteral(":/icons/external-drive-cloud.svg"));
  describe(ui_->formatButton, tr("Format to FAT32"),
           tr("Erases the selected drive and creates one FAT32 partition on it"));
  ui_->infoButton = new StyledButton(tr("Show &Info"), primary, actions);
  ui_->infoButton->setObjectName(QStringLiteral("infoButton"));
  describe(ui_->infoButton, tr("Show Info"),
           tr("Shows a report of the selected drive's properties"));
  ui_->checkButton = new StyledButton(tr("&Precheck/Repair"), primary, actions);
  ui_->checkButton->setObjectName(QStringLiteral("checkButton"));
  describe(ui_->checkButton, tr("Precheck/Repair"),
           tr("Checks the FAT file system on the selected drive and repairs it"));
  ui_->probeButton = new StyledButton(tr("&Test Capacity"), primary, actions);
  ui_->probeButton->setObjectName(QStringLiteral("probeButton"));
  describe(ui_->probeButton, tr("Test Capacity"),
           tr("Erases the selected drive to test how much of it really holds data"));
  for (StyledButton* button :
       {ui_->formatButton, ui_->infoButton, ui_->checkButton, ui_->probeButton})
    actionRow->addWidget(button, 0, Qt::AlignVCenter);
  actionRow->addStretch(1);
  column->addWidget(actions);

  // Status section.
  auto* heading = new QHBoxLayout;
  heading->setSpacing(8);
  heading->addWidget(caption(tr("Status"), this));
  ui_->busyIndicator = new BusyIndicator(this);
  ui_->busyIndicator->setObjectName(QStringLiteral("busyIndicator"));
  heading->addWidget(ui_->busyIndicator);
  ui_->probeProgress = new QProgressBar(this);
  ui_->probeProgress->setObjectName(QStringLiteral("probeProgress"));
  ui_->probeProgress->setRange(0, 100);
  ui_->probeProgress->setFixedWidth(progressWidth);
  describe(ui_->probeProgress, tr("Capacity test progress"),
           tr("How much of the capacity test is done, and about how long it still takes"));
  ui_->probeProgress->setVisible(false);
  heading->addWidget(ui_->probeProgress);
  ui_->cancelButton = new StyledButton(tr("&Cancel"), flat, this);
  ui_->cancelButton->setObjectName(QStringLiteral("cancelButton"));
  describe(ui_->cancelButton, tr("Cancel"), tr("Stops the running action where it safely can"));
  ui_->cancelButton->setVisible(false);
  heading->addWidget(ui_->cancelButton);
  heading->addStretch(1);
  ui_->saveLogButton = new StyledButton(tr("Save &Log\u2026"), flat, this);
  ui_->saveLogButton->setObjectName(QStringLiteral("saveLogButton"));
  describe(ui_->saveLogButton, tr("Save Log"), tr("Saves the whole status log to a text file"));
  heading->addWidget(ui_->saveLogButton);
  ui_->log = new LogView(this);
  ui_->log->setObjectName(QStringLiteral("statusText"));
  ui_->log->setFont(theme::logFont());
  describe(ui_->log, tr("Status"), tr("What the last action did and what its tools printed"));
  auto* logSurface = new FieldSurface(ui_->log, theme::logSurfaceOpacity, this);
  logSurface->setObjectName(QStringLiteral("logSurface"));
  logSurface->setMinimumHeight(minimumLogHeight);
  auto* status = new QVBoxLayout;
  status->setSpacing(captionSpacing);
  status->addLayout(heading);
  status->addWidget(logSurface, 1);
  column->addLayout(status, 1);

  connect(ui_->aboutButton, &QAbstractButton::clicked, this, &ContentView::showAbout);
  connect(ui_->refreshButton, &QAbstractButton::clicked, this, &ContentView::refreshDrives);
  connect(ui_->severalButton, &QAbstractButton::clicked, this, &ContentView::chooseSeveralDrives);
  connect(ui_->formatButton, &QAbstractButton::clicked, this, &ContentView::formatSelectedDrive);
  connect(ui_->infoButton, &QAbstractButton::clicked, this, &ContentView::showDriveInfo);
  connect(ui_->checkButton, &QAbstractButton::clicked, this, &ContentView::checkSelectedDrive);
  connect(ui_->probeButton, &QAbstractButton::clicked, this, &ContentView::probeSelectedDrive);
  connect(ui_->cancelButton, &QAbstractButton::clicked, this, &ContentView::cancelWorkflow);
  connect(ui_->saveLogButton, &QAbstractButton::clicked, this, &ContentView::saveLog);
  connect(ui_->drivePicker, &QComboBox::activated, this, [this](int index) {
    if (index >= 0 && index < ui_->pickerDrives.size()) setSelectedDrive(ui_->pickerDrives[index]);
  });
  connect(ui_->volumeField, &QLineEdit::textEdited, this, &ContentView::setLabel);
  connect(ui_->clusterMenu, &QComboBox::activated, this,
          [this](int index) { setCluster(ClusterOption::allCases().at(std::size_t(index))); });
}

}  // namespace tessaro
