#include <QFileInfo>
#include <QObject>
#include <coroutine>
#include <functional>
#include <thread>

#include "exec/Error.h"
#include "exec/HelperContract.h"
#include "exec/MacPrivilegedTool.h"
#include "exec/ProcessRunner.h"
#include "exec/Utf8Chunk.h"

#ifndef __APPLE__
#include "exec/PkexecLaunch.h"
#endif

namespace tessaro {

namespace {

constexpr qsizetype kChunkBytes = 4096;

// Awaiting it runs work on a thread of its own and resumes the awaiting
// coroutine on its own thread (through that thread's event loop) with the
// result; the awaiting thread is never blocked meanwhile.
template <typename Result>
class OnWorkerThread {
 public:
  explicit OnWorkerThread(std::function<Result()> work) : work_(std::move(work)) {}

  bool await_ready() const noexcept { return false; }

  void await_suspend(std::coroutine_handle<> handle) {
    auto* receiver = new QObject;  // lives on the awaiting thread
    std::thread([this, handle, receiver] {
      result_ = work_();
      QMetaObject::invokeMethod(
          receiver,
          [handle, receiver] {
            receiver->deleteLater();
            handle.resume();
          },
          Qt::QueuedConnection);
    }).detach();
  }

  Result await_resume() { return std::move(result_); }

 private:
  std::function<Result()> work_;
  Result result_{};
};

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
  OnWorkerThread<int32_t> ran([tool, args, onChunk] {
    return runPrivilegedTool(tool, args,
                             [&onChunk](const QByteArray& bytes) { deliver(bytes, onChunk); });
  });
  const int32_t status = co_await ran;
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

  const QByteArray marker = QByteArray(HelperContract::startMarker) + '\n';
  // Named first: g++ 12 mishandles temporaries made inside a co_await
  // expression.
  OnWorkerThread<LaunchOutcome> launched([command, marker, onChunk] {
    StartMarkerFilter filter(marker);
    LaunchOutcome result = launchAndRead(
        command, [&](const QByteArray& bytes) { deliver(filter.feed(bytes), onChunk); });
    deliver(filter.finish(), onChunk);
    result.markerSeen = filter.markerSeen();
    return result;
  });
  const LaunchOutcome outcome = co_await launched;
  // pkexec's own refusals (126 dismissed, 127 not authorized or not started)
  // come before the helper could print its marker.
  if (!outcome.markerSeen && (outcome.exitStatus == 126 || outcome.exitStatus == 127)) {
    throw authorizationFailed(outcome.exitStatus);
  }
  co_return PrivilegedRunResult{outcome.exitStatus};
}

#endif

}  // namespace tessaro
