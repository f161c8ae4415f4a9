// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "drives/DiskManager.h"
#include "drives/linux/LinuxDiskTools.h"
#include "exec/PkexecRunner.h"
#include "ui/BusyIndicator.h"
#include "ui/ContentView.h"
#include "ui/LogView.h"
#include "ui/StyledButton.h"

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace tessaro::test {

// Drive discovery runs the lsblk stand-in in tests/fixtures/ui, which reports
// what `attachDrives` chose ("0", "1", "2" or "broken").
inline void attachDrives(const char* drives) { qputenv("TESSARO_UI_DRIVES", drives); }

inline std::unique_ptr<DiskManager> fixtureDiskManager(
    ProcessRunner& runner = ProcessRunner::shared()) {
  const QString fixtures = QStringLiteral(TESSARO_FIXTURES_DIR "/ui/");
  return std::make_unique<DiskManager>(
      std::make_unique<LinuxDiskTools>(fixtures + "lsblk", fixtures + "sysfs"), runner);
}

// Privileged runs go through the stand-in for pkexec under tests/fixtures.
inline void elevateThrough(ProcessRunner& runner, const QString& fixture) {
  runner.setPrivilegedRunner(
      std::make_unique<PkexecRunner>(QStringLiteral(TESSARO_FIXTURES_DIR "/") + fixture, true));
}

inline std::unique_ptr<ContentView> makeView(const char* drives = "2") {
  attachDrives(drives);
  return std::make_unique<ContentView>(fixtureDiskManager());
}

// Shows the window and waits for the end of its start-up refresh.
inline void settle(ContentView& view) {
  view.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view.isBusy(); }, 10000)) << "still busy after 10 s";
}

inline std::unique_ptr<ContentView> settledView(const char* drives = "2") {
  auto view = makeView(drives);
  settle(*view);
  return view;
}

// Starts a workflow and waits for its end.
inline bool waitForEnd(ContentView& view, const std::function<void()>& action) {
  QSignalSpy finished(&view, &ContentView::workflowFinished);
  action();
  return finished.count() > 0 || finished.wait(10000);
}

// While it lives, the stand-ins for pkexec (tests/fixtures/Jobs) print what
// after the helper's start marker and exit with status.
struct Saying {
  explicit Saying(const QByteArray& what, int status = 0) {
    QFile file(dir.filePath("said"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(what) == what.size());
    qputenv("TESSARO_TEST_SAY", QFile::encodeName(file.fileName()));
    qputenv("TESSARO_TEST_STATUS", QByteArray::number(status));
  }
  ~Saying() {
    for (const char* name : {"TESSARO_TEST_SAY", "TESSARO_TEST_STATUS"}) qunsetenv(name);
  }
  QTemporaryDir dir;
};

// A window whose helper path leads nowhere, so that even a wrong answer to a
// question erases nothing.
inline std::unique_ptr<ContentView> viewWithoutHelper(const Drive& drive) {
  auto view = std::make_unique<ContentView>(std::make_unique<DiskManager>(
      std::make_unique<LinuxDiskTools>("/usr/bin/lsblk", "/sys", "/nonexistent/tessaro-helper")));
  view->setSelectedDrive(drive);
  return view;
}

// The question an action asks, answered with its default button: its texts,
// and how its destructive button looks (its body's colour, as drawn).
struct Question {
  QString text, defaultButton;
  QStringList buttons;
  QColor destructiveBody;
};

inline Question questionAfter(const std::function<void()>& action) {
  Question asked;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->defaultButton()) return;
    asked = {box->text() + ' ' + box->informativeText(), box->defaultButton()->text()};
    for (QAbstractButton* button : box->buttons()) {
      asked.buttons << button->text();
      if (box->buttonRole(button) != QMessageBox::DestructiveRole) continue;
      // Left of its title, halfway down: its body, not its title or frame.
      const QImage drawn = button->grab().toImage();
      asked.destructiveBody = drawn.pixelColor(3, drawn.height() / 2);
    }
    box->defaultButton()->click();
  });
  action();
  return asked;
}

template <typename T = QWidget>
T* child(QWidget& view, const char* name) {
  T* found = view.findChild<T*>(QString::fromLatin1(name));
  if (!found) throw std::runtime_error(std::string("no control named ") + name);
  return found;
}

struct Controls {
  explicit Controls(ContentView& v)
      : refresh(child<StyledButton>(v, "refreshButton")),
        format(child<StyledButton>(v, "formatButton")),
        info(child<StyledButton>(v, "infoButton")),
        check(child<StyledButton>(v, "checkButton")),
        picker(child<QComboBox>(v, "drivePicker")),
        volume(child<QLineEdit>(v, "volumeField")),
        cluster(child<QComboBox>(v, "clusterMenu")),
        log(child<LogView>(v, "statusText")),
        busy(child<BusyIndicator>(v, "busyIndicator")) {}

  // The buttons that can be pressed, e.g. "refresh format info check".
  QString enabledButtons() const {
    QStringList names;
    for (auto* button : {refresh, format, info, check})
      if (button->isEnabled()) names << button->objectName().chopped(6);
    return names.join(' ');
  }

  StyledButton *refresh, *format, *info, *check;
  QComboBox* picker;
  QLineEdit* volume;
  QComboBox* cluster;
  LogView* log;
  BusyIndicator* busy;
};

}  // namespace tessaro::test
