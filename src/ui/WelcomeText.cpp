// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/ContentView.h"

namespace tessaro {

QString ContentView::welcomeText() {
  // Written with escapes so that no editor adds variation selectors or turns
  // the en dashes and arrows into look-alikes.
  static const QString text =
      QStringList{
          QStringLiteral("    "),
          QStringLiteral("    Welcome to Tessaro!"),
          QString(),
          QStringLiteral(u"\u26A0 Important Information:"),
          QString(),
          QStringLiteral(u"1. Refresh Drives \u2013 click 'Refresh Drives' after plugging in a new "
                         u"USB/SD card to detect it without restarting the app."),
          QStringLiteral(u"2. Cluster Size \u2013 controls how data is stored:"),
          QStringLiteral(u"    -> Smaller cluster (512B, 1KB, 2KB) \u2192 efficient for many small "
                         u"files, but slower."),
          QStringLiteral(u"    -> Larger cluster (16KB, 32KB, 64KB) \u2192 faster for large files, "
                         u"but wastes space on small files."),
          QStringLiteral("    -> Default is recommended for most users."),
          QStringLiteral("3. Precheck Disk Error - check if the disk has any errors in order to "
                         "avoid format issues (Not required for quick format)."),
          QString(),
          QStringLiteral(u"\U0001F6AB Warning:"),
          QStringLiteral("1. All data on the selected drive will be permanently erased."),
          QStringLiteral("2. Internal drives are hidden, but double-check the drive letter before "
                         "formatting."),
          QString(),
          QStringLiteral(
              u"\u2714 Safe Tip: If you are unsure, keep the cluster size at Default and "
              u"only format external/removable drives."),
      }
          .join(QLatin1Char('\n'));
  return text;
}

}  // namespace tessaro
