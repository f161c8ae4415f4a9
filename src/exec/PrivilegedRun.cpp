#include "exec/Error.h"
#include "exec/ProcessRunner.h"

namespace tessaro {

// Placeholder until the privileged path lands.
QCoro::Task<PrivilegedRunResult> ProcessRunner::run(QString tool, QStringList args,
                                                    ChunkHandler onChunk) {
  Q_UNUSED(tool);
  Q_UNUSED(args);
  Q_UNUSED(onChunk);
  throw Error(ErrorDomain::authorization, -1, QStringLiteral("Authorization failed (-1)"));
  co_return PrivilegedRunResult{};
}

}  // namespace tessaro
