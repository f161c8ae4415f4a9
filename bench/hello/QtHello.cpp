// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The baseline of StartUpBench's window row: the least a Qt Widgets program
// does to show a window.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel hello(QStringLiteral("Hello"));
  hello.show();
  return QApplication::exec();
}
