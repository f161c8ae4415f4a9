// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>

#include "drives/Drive.h"
#include "ui/ContentView.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace tessaro {

class BusyIndicator;
class ElidingLabel;
class LogView;
class StyledButton;

// The controls of a ContentView, built once by buildLayout().
struct ContentView::Widgets {
  StyledButton* aboutButton = nullptr;
  StyledButton* refreshButton = nullptr;
  StyledButton* severalButton = nullptr;
  QComboBox* drivePicker = nullptr;
  QLineEdit* volumeField = nullptr;
  // Under the volume field: the name as it will be written, or why not.
  ElidingLabel* volumeHint = nullptr;
  QComboBox* clusterMenu = nullptr;
  StyledButton* formatButton = nullptr;
  StyledButton* infoButton = nullptr;
  StyledButton* checkButton = nullptr;
  StyledButton* probeButton = nullptr;
  BusyIndicator* busyIndicator = nullptr;
  QProgressBar* probeProgress = nullptr;
  StyledButton* cancelButton = nullptr;
  StyledButton* saveLogButton = nullptr;
  LogView* log = nullptr;
  // The drives behind the picker's entries, in entry order.
  QList<Drive> pickerDrives;
};

}  // namespace tessaro
