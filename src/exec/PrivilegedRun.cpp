#include <qcoro/qcorofuture.h>

#include <QFileInfo>
#include <QFuture>
#include <QPromise>
#include <memory>
#include <thread>

#include "exec/Error.h"
#include "exec/MacPrivilegedTool.h"
#include "exec/ProcessRunner.h"
#include "exec/Utf8Chunk.h"

#ifndef __APPLE__
#include "exec/PkexecLaunch.h"
#include "helper/HelperVerbs.h"
#endif

namespace tessaro {

namespace {

constexpr qsizetype kChunkBytes = 4096;

// Runs work on a thread of its own and hands its result back to the awaiting
// coroutine, which stays suspended (not blocked) meanwhile.
template <typename Result, typename Work>
QFuture<Result> onWorkerThread(Work work) {
  auto promise = std::make_shared<QPromise<Result>>();
  QFuture<Result> future = promise->future();
  promise->start();
  std::thread([promise, work = std::move(work)]() mutable {
    promise->addResult(work());
    promise->finish();
  }).detach();
  return future;
}

// Decodes and delivers bytes, in pieces of at most 4096 bytes.
void deliver(const QByteArray& bytes, const ChunkHandler& onChunk) {
  if (!onChunk) return;
  for (qsizetype offset = 0; offset < bytes.size(); offset += kChunkBytes) {
    if (const auto text = decodeUtf8Chunk(bytes.mid(offset, kChunkBytes))) onChunk(*text);
  }
}

Error authorizationFailed(qint64 status, const QString& more = QString()) {
  return Error(
      ErrorDomain::authorization, status,
      QStringLiteral("Authorization failed (") + QString::number(status) + QLatin1Char(')') + more);
}

}  // namespace

#ifdef __APPLE__

QCoro::Task<PrivilegedRunResult> ProcessRunner::run(QString tool, QStringList args,
                                                    ChunkHandler onChunk) {
  const int32_t status = co_await onWorkerThread<int32_t>([tool, args, onChunk] {
    return runPrivilegedTool(tool, args,
                             [&onChunk](const QByteArray& bytes) { deliver(bytes, onChunk); });
  });
  if (status != 0) throw authorizationFailed(status);
  co_return PrivilegedRunResult{};  // the authorization service never reports the exit status
}

#else

QCoro::Task<PrivilegedRunResult> ProcessRunner::run(QString tool, QStringList args,
                                                    ChunkHandler onChunk) {
  QStringList command = QStringList{tool} + args;
  if (forceElevation_ || !runsAsRoot()) {
    if (!QFileInfo(elevationProgram_).isExecutable()) {
      throw authorizationFailed(
          127, QStringLiteral(": ") + elevationProgram_ +
                   QStringLiteral(" was not found. Install polkit (pkexec) to work on drives."));
    }
    command.prepend(elevationProgram_);
  }

  const QByteArray marker = QByteArray(helper::kStartedMarker) + '\n';
  const LaunchOutcome outcome = co_await onWorkerThread<LaunchOutcome>([command, marker, onChunk] {
    StartMarkerFilter filter(marker);
    LaunchOutcome result = launchAndRead(
        command, [&](const QByteArray& bytes) { deliver(filter.feed(bytes), onChunk); });
    deliver(filter.finish(), onChunk);
    result.markerSeen = filter.markerSeen();
    return result;
  });
  // pkexec's own refusals (126 dismissed, 127 not authorized or not started)
  // come before the helper could print its marker.
  if (!outcome.markerSeen && (outcome.exitStatus == 126 || outcome.exitStatus == 127)) {
    throw authorizationFailed(outcome.exitStatus);
  }
  co_return PrivilegedRunResult{outcome.exitStatus};
}

#endif

}  // namespace tessaro
