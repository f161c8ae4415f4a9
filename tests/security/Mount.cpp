// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "Mount.h"

#include "SystemTool.h"

namespace tessaro::security {

Mount::Mount(const QString& device, const QString& type, const QStringList& options) {
  if (!dir_.isValid()) return;
  QStringList args{QStringLiteral("-t"), type};
  if (!options.isEmpty()) args << QStringLiteral("-o") << options.join(QLatin1Char(','));
  runTool(QStringLiteral("mount"), args << device << dir_.path());
}

Mount::~Mount() {
  if (mounted()) runTool(QStringLiteral("umount"), {dir_.path()});
}

bool Mount::mounted() const {
  return dir_.isValid() &&
         runTool(QStringLiteral("findmnt"), {QStringLiteral("--mountpoint"), dir_.path()}).status ==
             0;
}

}  // namespace tessaro::security
