// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "HelperRun.h"

namespace tessaro::security {

// The lines in which the helper shows a command it runs ("$ /usr/sbin/wipefs ...").
QStringList commandLines(const QStringList& lines);

// The program of such a line, as shown ("/usr/sbin/wipefs").
QString programOf(const QString& commandLine);

// The commands among lines that may change a disk, its partitions as the
// kernel knows them, or a mount: everything but the tools and options known
// only to read.
QStringList writingCommands(const QStringList& lines);

// "deviceBusy (69)" for the statuses the helper's command line defines.
QString statusName(int status);

// A run as a failure message shows it: status, output, standard error.
std::string describe(const HelperRun::Result& result);

}  // namespace tessaro::security
