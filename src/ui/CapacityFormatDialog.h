// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QCoreApplication>

#include "drives/DiskTools.h"
#include "drives/ProbeResult.h"

class QWidget;

namespace tessaro {

// The question after a capacity test, which leaves test data on the drive:
// format the whole drive when it held everything, else only the part that
// holds data (the request's partition). Cancel is the default.
class CapacityFormatDialog {
  Q_DECLARE_TR_FUNCTIONS(CapacityFormatDialog)

 public:
  // True when the user chose to format.
  static bool ask(QWidget* parent, const FormatRequest& request, const ProbeResult& result);
};

}  // namespace tessaro
