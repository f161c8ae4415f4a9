// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What StartUpBench's list row cannot go below while tessaro-cli is a Qt
// program: a Qt command line that starts and ends, doing nothing.
#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return 0;
}
