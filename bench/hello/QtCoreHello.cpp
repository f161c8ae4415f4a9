// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What a Qt command line cannot go below while tessaro-cli is one:
//   QtCoreHello                    starts and ends, doing nothing (what the
//                                  list cannot go below);
//   QtCoreHello PROGRAM [ARG...]   starts PROGRAM, its output passed on, and
//                                  ends with its status (with tool-starter in
//                                  front of fsck.fat: what a check through a
//                                  command line and a helper cannot go below).
#include <QCoreApplication>
#include <QProcess>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) return 0;
  const QStringList arguments = QCoreApplication::arguments();
  QProcess program;
  program.setProcessChannelMode(QProcess::ForwardedChannels);
  program.start(arguments.at(1), arguments.mid(2));
  if (!program.waitForFinished(-1) || program.exitStatus() != QProcess::NormalExit) return 1;
  return program.exitCode();
}
