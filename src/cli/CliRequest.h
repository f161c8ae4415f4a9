// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "drives/ClusterOption.h"

namespace tessaro {

enum class CliCommand { Help, Version, List, Info, Check, Format, Probe };

// One run of tessaro-cli, as read from its command line.
struct CliRequest {
  CliCommand command = CliCommand::Help;
  // As typed: "sdb" or "/dev/sdb"; several for a batch (format, check, probe).
  QStringList devices;
  bool json = false;
  bool all = false;         // list --all: every block device, with why it is not offered
  bool noHeadings = false;  // list -n: the table without its header line
  bool readOnly = false;    // check -n: only read the file system, change nothing
  QString label;  // --name as typed; the volume name is derived from it like the window's field
  ClusterOption cluster;
  std::optional<qint64> partitionBytes;  // --size: the partition's size; none: the whole drive
  bool assumeYes = false;                // --yes: erase without asking
  bool full = false;                     // probe --full: write and read back every block
};

}  // namespace tessaro
