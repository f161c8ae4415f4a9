#include "drives/PartitionLookup.h"

namespace tessaro {

QCoro::Task<QString> findPartition(const DiskTools& tools, ProcessRunner& runner, QString bsdName) {
  const QStringList command = tools.partitionListCommand(bsdName);
  const QString text = co_await runner.runAndCapture(command);
  co_return tools.parseFirstPartition(text, bsdName);
}

}  // namespace tessaro
