#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tessaro::security {

// What a tool the test runs itself printed (standard output and standard
// error together) and how it ended.
struct ToolRun {
  int status = -1;
  QString output;
};

// Runs a tool to its end, input on its standard input.
ToolRun runTool(const QString& program, const QStringList& args, const QByteArray& input = {});

// The SHA-256 of a file's whole contents, in hex; empty when it cannot be read.
QByteArray sha256OfFile(const QString& path);

// The Debian package that installs path ("dosfstools" for /usr/sbin/mkfs.fat);
// empty when dpkg does not know it.
QString packageOwning(const QString& path);

}  // namespace tessaro::security
