#include "cli/CliApplication.h"

#include "cli/CliHelpText.h"
#include "cli/DeviceArgument.h"
#include "cli/DriveJson.h"
#include "drives/ByteCount.h"
#include "exec/Error.h"

namespace tessaro {

CliApplication::CliApplication(DiskManager& manager, CliOutput& output, QObject* parent)
    : QObject(parent), manager_(manager), output_(output) {}

QCoro::Task<int> CliApplication::run(CliRequest request) {
  switch (request.command) {
    case CliCommand::Help:
      output_.text(CliHelpText::text());
      co_return cliSuccess;
    case CliCommand::Version:
      output_.text(CliHelpText::version());
      co_return cliSuccess;
    case CliCommand::List:
      co_return co_await list(request.json);
    case CliCommand::Info:
    case CliCommand::Check:
    case CliCommand::Format:
      break;
  }
  const std::optional<Drive> drive = co_await resolveDrive(request.device);
  if (!drive) co_return cliRefused;
  co_return cliToolFailed;
}

QCoro::Task<int> CliApplication::list(bool json) {
  try {
    co_await manager_.refresh();
  } catch (const std::exception& error) {
    output_.line(QStringLiteral("Error refreshing drives: ") + describeError(error));
    co_return cliToolFailed;
  }
  const QList<Drive>& drives = manager_.drives();
  if (json) {
    output_.text(QString::fromUtf8(DriveJson::array(drives)));
    co_return cliSuccess;
  }
  for (const Drive& drive : drives) {
    QString line = drive.devicePath + QLatin1Char('\t') + formatByteCount(drive.size);
    if (!drive.model.isEmpty()) line += QLatin1Char('\t') + drive.model;
    output_.line(line);
  }
  output_.line(QStringLiteral("Found %1 external/removable drive(s).").arg(drives.size()));
  co_return cliSuccess;
}

QCoro::Task<std::optional<Drive>> CliApplication::resolveDrive(QString argument) {
  const std::optional<QString> name = DeviceArgument::kernelName(argument);
  if (!name) {
    output_.errorLine(QStringLiteral("tessaro-cli: '%1' is not a drive name: give it as sdb or "
                                     "/dev/sdb")
                          .arg(argument));
    co_return std::nullopt;
  }
  if (DeviceArgument::isLoopDevice(*name)) {
    const std::optional<Drive> loop = DeviceArgument::attachedLoopDrive(*name);
    if (!loop) {
      output_.errorLine(
          QStringLiteral("tessaro-cli: /dev/%1 has no disk image attached").arg(*name));
    }
    co_return loop;
  }
  try {
    co_await manager_.refresh();
  } catch (const std::exception& error) {
    output_.errorLine(QStringLiteral("tessaro-cli: Error refreshing drives: ") +
                      describeError(error));
    co_return std::nullopt;
  }
  for (const Drive& drive : manager_.drives()) {
    if (drive.bsdName == *name) co_return drive;
  }
  output_.errorLine(QStringLiteral("tessaro-cli: /dev/%1 is not an external or removable drive "
                                   "that Tessaro may use; tessaro-cli list shows those")
                        .arg(*name));
  co_return std::nullopt;
}

}  // namespace tessaro
