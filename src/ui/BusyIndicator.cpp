// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/BusyIndicator.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

#include "ui/Theme.h"

namespace tessaro {

BusyIndicator::BusyIndicator(QWidget* parent)
    : QWidget(parent), bar_(new QProgressBar(this)), elapsed_(new QLabel(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(8);
  bar_->setRange(0, 0);
  bar_->setTextVisible(false);
  bar_->setFixedSize(72, 6);
  elapsed_->setObjectName(QStringLiteral("busyElapsed"));
  theme::styleCaption(elapsed_);
  layout->addWidget(bar_);
  layout->addWidget(elapsed_);
  ticker_.setInterval(250);
  connect(&ticker_, &QTimer::timeout, this, &BusyIndicator::tick);
  hide();
}

void BusyIndicator::start() {
  clock_.start();
  tick();
  ticker_.start();
  show();
}

void BusyIndicator::stop() {
  ticker_.stop();
  hide();
}

QString BusyIndicator::elapsedText() const { return elapsed_->text(); }

void BusyIndicator::tick() {
  //: Seconds since the running action began.
  elapsed_->setText(tr("%1 s").arg(clock_.elapsed() / 1000));
}

}  // namespace tessaro
