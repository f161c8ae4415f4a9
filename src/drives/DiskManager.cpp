#include "drives/DiskManager.h"

#include "exec/Error.h"

namespace tessaro {

DiskManager::DiskManager(std::unique_ptr<DiskTools> tools, ProcessRunner& runner, QObject* parent)
    : QObject(parent), tools_(std::move(tools)), runner_(runner) {}

QCoro::Task<> DiskManager::refresh() {
  throw Error(ErrorDomain::diskManager, 1, QStringLiteral("not implemented"));
  co_return;
}

}  // namespace tessaro
