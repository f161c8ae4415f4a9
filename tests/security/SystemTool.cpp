#include "SystemTool.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>

namespace tessaro::security {

ToolRun runTool(const QString& program, const QStringList& args, const QByteArray& input) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, args);
  if (!process.waitForStarted(10000)) return {-1, process.errorString()};
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(120000);
  const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  return {status, QString::fromUtf8(process.readAll())};
}

QByteArray sha256OfFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!hash.addData(&file)) return {};
  return hash.result().toHex();
}

QString packageOwning(const QString& path) {
  // dpkg lists files under the paths the package ships (/sbin/mkfs.fat), which
  // on a merged /usr are reached through /usr as well.
  QStringList candidates{path};
  if (path.startsWith(QLatin1String("/usr/"))) candidates << path.mid(4);
  for (const QString& candidate : candidates) {
    const ToolRun found = runTool(QStringLiteral("dpkg-query"), {QStringLiteral("-S"), candidate});
    if (found.status == 0) return found.output.section(QLatin1Char(':'), 0, 0).trimmed();
  }
  return {};
}

}  // namespace tessaro::security
