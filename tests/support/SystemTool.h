// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tessaro::test {

// What a tool the test runs itself printed (standard output and standard
// error together) and how it ended.
struct ToolRun {
  int status = -1;
  QString output;
};

// Runs a tool to its end, input on its standard input.
ToolRun runTool(const QString& program, const QStringList& args, const QByteArray& input = {});

// Writes a program (a shell script) at path that anyone may run; false when it could not.
bool writeProgram(const QString& path, const QByteArray& text);

// Makes an ext4 file system on device, fully initialised so that nothing
// writes to it in the background once it is mounted.
bool makeExt4(const QString& device);

// A SHA-256 over a sparse file's bytes, in hex; empty when the file cannot be
// read. Equal fingerprints mean equal bytes, whatever the file's layout: a
// block of zeros counts the same whether it is a hole, an unwritten extent or
// written zeros (the host's file system tells these apart by what its cache
// holds at the moment, so the layout is no evidence of a write). Only the
// data is read: a 64 MiB image with a file system on it is hashed in a few
// milliseconds.
QByteArray fingerprintOfFile(const QString& path);

// The Debian package that installs path ("dosfstools" for /usr/sbin/mkfs.fat);
// empty when dpkg does not know it.
QString packageOwning(const QString& path);

// A file system mounted, for the life of the object, on a directory of its
// own under parent: by default the temporary directory, outside /media, where
// nothing offers it for unmounting.
class Mount {
 public:
  Mount(const QString& device, const QString& type, const QStringList& options = {},
        const QString& parent = {});
  ~Mount();

  // Whether the directory is a mount point now (it is checked each time).
  bool mounted() const;
  QString path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

}  // namespace tessaro::test
