// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "cli/CliExitStatus.h"
#include "cli/CliRequest.h"

namespace tessaro {

// One command of tessaro-cli: its word, whether it names a drive, the long
// options it takes, and its lines in --help.
struct CliCommandShape {
  QString name;
  CliCommand command;
  bool takesDevice = false;
  bool takesSeveral = false;  // a batch: one DEVICE or more
  QStringList options;
  QString synopsis;
  QString summary;
};

// A request, or why the command line was not accepted and with which status.
struct CliParseResult {
  std::optional<CliRequest> request;
  CliExitStatus status = cliSuccess;
  QString error;
};

// Reads tessaro-cli's command line: a command, its DEVICE where it takes one
// (or several, for a batch),
// and options before or after them ("--name NAME" or "--name=NAME"; "--"
// ends the options). -h/--help and -V/--version win over everything else; -n means
// --noheadings for list and --read-only for check. Every line it cannot read
// is refused with one status, cliUsage, values of --size and --cluster included.
class CliArgumentParser {
 public:
  // Every command, in the order --help lists them. A new command is a new row
  // here and a case in CliApplication.
  static const QList<CliCommandShape>& commands();

  // arguments without the program name.
  static CliParseResult parse(const QStringList& arguments);
  // Whether --json stands among the options, also on a line parse() refuses:
  // the refusal is then a JSON document too.
  static bool asksForJson(const QStringList& arguments);
};

}  // namespace tessaro
