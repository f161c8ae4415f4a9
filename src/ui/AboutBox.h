// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;

namespace tessaro {

class DiskTools;

// About Tessaro: the name, the version, the license and the system tools it
// runs to do its work.
class AboutBox {
  Q_DECLARE_TR_FUNCTIONS(AboutBox)

 public:
  static QString title();
  // Rich text.
  static QString text(const DiskTools& tools);
  static void show(QWidget* parent, const DiskTools& tools);
};

}  // namespace tessaro
