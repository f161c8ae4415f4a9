#pragma once

#include <qcoro/qcorotask.h>

#include <QObject>
#include <optional>

#include "cli/CliExitStatus.h"
#include "cli/CliOutput.h"
#include "cli/CliRequest.h"
#include "drives/DiskManager.h"

namespace tessaro {

// Carries out one request of the command line with the window's engine: the
// same DiskManager, disk tools, runner and helper, and the same texts.
class CliApplication : public QObject {
  Q_OBJECT
 public:
  CliApplication(DiskManager& manager, CliOutput& output, QObject* parent = nullptr);

  // The exit status of the request; everything it has to say is written.
  QCoro::Task<int> run(CliRequest request);

 private:
  QCoro::Task<int> list(bool json);
  // The drive DEVICE names, or none after saying why it is refused.
  QCoro::Task<std::optional<Drive>> resolveDrive(QString argument);

  DiskManager& manager_;
  CliOutput& output_;
};

}  // namespace tessaro
