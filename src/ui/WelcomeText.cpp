// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/ContentView.h"

namespace tessaro {

QString ContentView::welcomeText() {
  // Written with escapes so that no editor adds variation selectors or turns
  // the en dashes and arrows into look-alikes. The indents stay out of the
  // translated texts.
  const QString indent = QStringLiteral("    ");
  const QString point = QStringLiteral("    -> ");
  return QStringList{
      indent,
      indent + tr("Welcome to Tessaro!"),
      QString(),
      QStringLiteral(u"\u26A0 ") + tr("Important Information:"),
      QString(),
      tr("1. Refresh Drives \u2013 click 'Refresh Drives' after plugging in a new USB/SD card to "
         "detect it without restarting the app."),
      tr("2. Cluster Size \u2013 controls how data is stored:"),
      point + tr("Smaller cluster (512B, 1KB, 2KB) \u2192 efficient for many small files, but "
                 "slower."),
      point + tr("Larger cluster (16KB, 32KB, 64KB) \u2192 faster for large files, but wastes "
                 "space on small files."),
      point + tr("Default is recommended for most users."),
      tr("3. Precheck Disk Error - check if the disk has any errors in order to avoid format "
         "issues (Not required for quick format)."),
      QString(),
      QStringLiteral(u"\U0001F6AB ") + tr("Warning:"),
      tr("1. All data on the selected drive will be permanently erased."),
      tr("2. Internal drives are hidden, but double-check the drive letter before formatting."),
      QString(),
      QStringLiteral(u"\u2714 ") +
          tr("Safe Tip: If you are unsure, keep the cluster size at Default and only format "
             "external/removable drives."),
  }
      .join(QLatin1Char('\n'));
}

}  // namespace tessaro
