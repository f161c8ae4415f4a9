#include "drives/DiskManager.h"
#include "exec/Error.h"

namespace tessaro {

QCoro::Task<QString> DiskManager::findPartition(QString bsdName) {
  Q_UNUSED(bsdName);
  throw Error(ErrorDomain::diskManager, 2, QStringLiteral("No partition identifier found"));
  co_return QString();
}

QCoro::Task<QString> DiskManager::repair(QString bsdName) {
  Q_UNUSED(bsdName);
  throw Error(ErrorDomain::diskManager, 1, QStringLiteral("not implemented"));
  co_return QString();
}

}  // namespace tessaro
