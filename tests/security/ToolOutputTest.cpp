// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// A tool's output as a way to speak for the helper: lines that look like its
// events, a byte-order mark, a line past any length. The rows are in
// data/tool-output.rows; each formats a drive of its own through tessaro-cli,
// with the tool standing in for the real one in a mount namespace of the
// run's own.

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "Capability.h"
#include "DataRows.h"
#include "SecurityTest.h"

namespace tessaro::security {
namespace {

using ToolOutput = SecurityTest;

// A program that prints bytes and then runs a copy of tool with its arguments.
bool makeStandIn(const QTemporaryDir& dir, const QString& tool, const QByteArray& bytes) {
  QFile said(dir.filePath(QStringLiteral("said")));
  if (!said.open(QIODevice::WriteOnly) || said.write(bytes) != bytes.size()) return false;
  said.close();
  const QString real = dir.filePath(QStringLiteral("real"));
  if (!QFile::copy(tool, real)) return false;
  QFile script(dir.filePath(QStringLiteral("stand-in")));
  if (!script.open(QIODevice::WriteOnly)) return false;
  // A pause first, so that the bytes begin a read of their own.
  script.write("#!/bin/sh\nsleep 0.3\ncat '" + QFile::encodeName(said.fileName()) + "'\nexec '" +
               QFile::encodeName(real) + "' \"$@\"\n");
  script.close();
  return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                               QFile::ReadOther | QFile::ExeOther);
}

TEST_F(ToolOutput, WhatAToolPrintsIsShownAndNeverTakenForTheHelpersOwn) {
  if (const std::string why = test::missingMountNamespace(); !why.empty()) GTEST_SKIP() << why;
  const QList<DataRow> rows = readDataRows(TESSARO_SECURITY_DATA_DIR "/tool-output.rows");
  ASSERT_FALSE(rows.isEmpty());
  for (const DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 3) << row.where.toStdString();
    SCOPED_TRACE(row.where.toStdString() + ": " + row.fields[0].toStdString() + "\n  because " +
                 row.fields[2].toStdString());
    const QString tool = QStandardPaths::findExecutable(QString::fromUtf8(row.fields[0]),
                                                        {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
    ASSERT_FALSE(tool.isEmpty());
    const QByteArray bytes = unescaped(row.fields[1]).replace("{a65536}", QByteArray(65536, 'a'));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid() && makeStandIn(dir, tool, bytes));
    LoopDisk disk;
    ASSERT_TRUE(disk.ready());
    const ChildRun::Result result = ChildRun::run(
        TESSARO_CLI_BUILD_PATH, {"format", disk.name().toUtf8(), "--name", "SHOWN", "--yes"},
        {.hiddenTool = tool, .toolStandIn = dir.filePath(QStringLiteral("stand-in"))}, 120000);
    const std::string shown = "exit status " + std::to_string(result.status) + "; it printed:\n" +
                              result.output.toStdString() + result.errorOutput.toStdString();
    EXPECT_EQ(result.status, 0) << shown;
    EXPECT_EQ(disk.fatLabel(), QStringLiteral("FAT32 SHOWN")) << shown;
    EXPECT_TRUE(result.output.contains(QStringLiteral("@@tessaro-event@@ {")))
        << "what the tool printed was not shown; " << shown;
  }
}

}  // namespace
}  // namespace tessaro::security
