// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/AboutBox.h"

#include <QMessageBox>

#include "drives/DiskTools.h"

namespace tessaro {

QString AboutBox::title() { return tr("About Tessaro"); }

QString AboutBox::text(const DiskTools& tools) {
  QString html = QStringLiteral("<h3>Tessaro %1</h3>").arg(QStringLiteral(TESSARO_VERSION));
  html += QStringLiteral("<p>%1</p>")
              .arg(tr("Prepares external and removable drives for FAT32: formats, checks and "
                      "repairs them, shows what they are and tests how much they really hold."));
  html += QStringLiteral("<p>%1</p>")
              .arg(tr("License: GNU General Public License, version 3 or later. "
                      "There is no warranty."));
  const QStringList names = tools.toolNames();
  if (!names.isEmpty()) {
    html += QStringLiteral("<p>%1</p>")
                .arg(tr("The work is done by the system's own tools: %1.")
                         .arg(names.join(QStringLiteral(", ")).toHtmlEscaped()));
  }
  return html;
}

void AboutBox::show(QWidget* parent, const DiskTools& tools) {
  QMessageBox::about(parent, title(), text(tools));
}

}  // namespace tessaro
