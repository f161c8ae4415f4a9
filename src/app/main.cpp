// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/QuillonApp.h"

int main(int argc, char** argv) {
  tessaro::QuillonApp app(argc, argv);
  return app.exec();
}
