// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QCoreApplication>
#include <QString>

#include "drives/DiskTools.h"
#include "drives/Drive.h"

class QWidget;

namespace tessaro {

// What the window says before it erases a drive, and the dialog that asks:
// the drive with its size, what will happen to it (EraseQuestion, as
// tessaro-cli says it too), and Cancel as the default; the button that
// erases is marked as destructive.
struct EraseConfirmation {
  Q_DECLARE_TR_FUNCTIONS(EraseConfirmation)

 public:
  // Before a format: the drive, then what the format writes.
  static EraseConfirmation forFormat(const FormatRequest& request);
  // Before a capacity test: it writes over the whole drive, takes minutes,
  // and leaves a drive to be formatted; its option is the full test.
  static EraseConfirmation forCapacityTest(const Drive& drive);

  // Before a batch: every drive by name, size and model; for a format with
  // what it writes on each.
  static EraseConfirmation forBatchFormat(const QList<FormatRequest>& requests);
  static EraseConfirmation forBatchCapacityTest(const QList<Drive>& drives);

  // What a format will write, one line each (EraseQuestion::formatDetails).
  static QString formatDetails(const FormatRequest& request);

  // Shows the dialog; true when the user chose to go on, and then in
  // optionChosen whether the option's box was ticked.
  bool ask(QWidget* parent, bool* optionChosen = nullptr) const;

  QString title;
  QString question;
  QString details;
  QString proceedButton;
  QString option;  // a box to tick besides, unticked; none when empty
};

}  // namespace tessaro
