#include "app/QuillonApp.h"

int main(int argc, char** argv) {
  tessaro::QuillonApp app(argc, argv);
  return app.exec();
}
