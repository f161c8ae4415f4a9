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
  TestApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
