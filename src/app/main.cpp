#include <QApplication>

#include "ui/ContentView.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tessaro::ContentView view;
  view.show();
  return app.exec();
}
