// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#ifdef TESSARO_GUI_TESTS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

// Coroutines over Qt need an application object for their event loop.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
#ifdef TESSARO_GUI_TESTS
  // Window tests draw offscreen, also when the build lists them without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  TestApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
