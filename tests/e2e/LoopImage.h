// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

#include "ChildRun.h"
#include "LoopDisk.h"
#include "drives/DiskManager.h"
#include "drives/linux/LinuxDiskTools.h"
#include "ui/ContentView.h"

namespace tessaro::test {

// What tessaro-cli printed and how it ended.
struct CliRun {
  int status = -1;
  QString out;
  QString err;

  // Standard output in lines, empty ones left out.
  QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

// tessaro-cli of this build as a child process; its standard input is a
// pipe that holds input, never a terminal; environment adds to or changes
// the test's own ("LANGUAGE=de").
inline CliRun runCli(const QStringList& arguments, const QByteArray& input = {},
                     const QString& outputFile = {}, const QByteArrayList& environment = {}) {
  const ChildRun::Result ran =
      ChildRun::run(TESSARO_CLI_BUILD_PATH, argumentsOf(arguments),
                    {.input = input, .environmentChanges = environment, .outputFile = outputFile});
  return {ran.status, ran.output, ran.errorOutput};
}

inline std::string shown(const CliRun& run) {
  return QStringLiteral("status %1\nstdout:\n%2stderr:\n%3")
      .arg(run.status)
      .arg(run.out, run.err)
      .toStdString();
}

// Every key of a JSON document in lsblk's style: lower case, "-" between
// words; the keys that are not, with where they are.
inline QStringList keysInAnotherStyle(const QJsonValue& value, const QString& where = "") {
  static const QRegularExpression style(QStringLiteral("^[a-z]+(-[a-z]+)*$"));
  QStringList found;
  if (value.isArray()) {
    for (const QJsonValue& item : value.toArray()) found << keysInAnotherStyle(item, where + "[]");
  } else if (value.isObject()) {
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
      if (!style.match(it.key()).hasMatch()) found << where + "." + it.key();
      found << keysInAnotherStyle(it.value(), where + "." + it.key());
    }
  }
  return found;
}

// A blank sparse image on a loop device of its own (see LoopDisk); device()
// is empty when attaching failed.
class LoopImage : public LoopDisk {
 public:
  explicit LoopImage(qint64 bytes, bool readOnly = false, int sectorBytes = 512)
      : LoopDisk(
            {.bytes = bytes, .blank = true, .readOnly = readOnly, .sectorBytes = sectorBytes}) {}

  QString device() const { return ready() ? devicePath() : QString(); }
};

// A window over the real tools and the helper of this build that confirms
// every erase.
struct LoopWindow {
  LoopWindow() {
    view.setConfirmation([](const Drive&) { return true; });
  }

  // Presses a workflow's button for the drive on device, and Cancel as soon
  // as the log holds cancelAfter; the log once the workflow has ended, every
  // queued line included.
  QString logAfter(void (ContentView::*action)(), const QString& device, qint64 bytes,
                   std::optional<QString> cancelAfter = {}) {
    view.setSelectedDrive(Drive{{}, device.mid(5), device, "Loop test disk", {}, false, bytes});
    const auto press = [&] {
      if (!cancelAfter || !view.statusLog().contains(*cancelAfter)) return;
      cancelAfter.reset();
      view.cancelWorkflow();
    };
    QEventLoop loop;
    QObject::connect(&view, &ContentView::workflowFinished, &loop, &QEventLoop::quit);
    const auto watch = QObject::connect(&view, &ContentView::statusLogChanged, &view, press);
    (view.*action)();
    press();
    if (view.isBusy()) loop.exec();
    QObject::disconnect(watch);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view.isBusy());
    return view.statusLog();
  }

  // Formats the drive on device as "MY USB"; the log.
  QString format(const QString& device, qint64 bytes, ClusterOption cluster = {}) {
    view.setLabel("My USB");
    view.setCluster(cluster);
    return logAfter(&ContentView::formatSelectedDrive, device, bytes);
  }

  ContentView view{std::make_unique<DiskManager>(
      std::make_unique<LinuxDiskTools>("/usr/bin/lsblk", "/sys", TESSARO_HELPER_BUILD_PATH))};
};

}  // namespace tessaro::test
