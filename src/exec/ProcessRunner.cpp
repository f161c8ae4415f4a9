#include "exec/ProcessRunner.h"

#include <QPointer>
#include <QProcess>
#include <coroutine>
#include <memory>

#include "exec/Error.h"
#include "exec/Utf8Chunk.h"

namespace tessaro {

namespace {

// Suspends the caller until the process has finished or failed to start,
// without blocking the thread: the event loop keeps running meanwhile.
class ProcessEnd {
 public:
  explicit ProcessEnd(QProcess* process) : process_(process) {}

  // A launch failure can be reported synchronously inside start().
  bool await_ready() const { return failedToStart(); }

  void await_suspend(std::coroutine_handle<> handle) {
    auto resumed = std::make_shared<bool>(false);
    auto resumeOnce = [this, handle, resumed] {
      if (*resumed) return;
      *resumed = true;
      QObject::disconnect(finished_);
      QObject::disconnect(error_);
      handle.resume();
    };
    finished_ =
        QObject::connect(process_, &QProcess::finished, process_, resumeOnce, Qt::QueuedConnection);
    error_ = QObject::connect(
        process_, &QProcess::errorOccurred, process_,
        [this, resumeOnce](QProcess::ProcessError error) {
          if (error == QProcess::FailedToStart) {
            failed_ = true;
            resumeOnce();
          }
        },
        Qt::QueuedConnection);
  }

  bool await_resume() const { return !failed_ && !failedToStart(); }

 private:
  bool failedToStart() const { return process_->error() == QProcess::FailedToStart; }

  QProcess* process_;
  bool failed_ = false;
  QMetaObject::Connection finished_;
  QMetaObject::Connection error_;
};

}  // namespace

ProcessRunner::ProcessRunner() : elevationProgram_(QStringLiteral("/usr/bin/pkexec")) {}

ProcessRunner& ProcessRunner::shared() {
  static ProcessRunner runner;  // thread-safe, made once on first use
  return runner;
}

void ProcessRunner::setElevationProgram(const QString& path, bool forceElevation) {
  elevationProgram_ = path;
  forceElevation_ = forceElevation;
}

QCoro::Task<QString> ProcessRunner::runAndCapture(QStringList cmd, ChunkHandler onChunk) {
  if (cmd.isEmpty()) co_return QString();

  auto process = std::make_unique<QProcess>();
  process->setProgram(cmd.first());
  process->setArguments(cmd.mid(1));
  process->setProcessChannelMode(QProcess::SeparateChannels);
  process->setInputChannelMode(QProcess::ForwardedInputChannel);

  // Both channels append to one buffer in the order their blocks arrive.
  QString captured;
  auto consume = [&captured, &onChunk, p = process.get()](QProcess::ProcessChannel channel) {
    p->setReadChannel(channel);
    const QByteArray bytes = p->readAll();
    const auto text = decodeUtf8Chunk(bytes);
    if (!text) return;
    if (onChunk) onChunk(*text);
    captured += *text;
  };
  QObject::connect(process.get(), &QProcess::readyReadStandardOutput, process.get(),
                   [consume] { consume(QProcess::StandardOutput); });
  QObject::connect(process.get(), &QProcess::readyReadStandardError, process.get(),
                   [consume] { consume(QProcess::StandardError); });

  process->start(QIODevice::ReadOnly);
  const bool started = co_await ProcessEnd(process.get());
  if (!started) {
    const QString message = process->errorString();
    process->disconnect();
    throw Error(ErrorDomain::process, static_cast<qint64>(QProcess::FailedToStart), message);
  }
  process->disconnect();

  // Whatever is left after exit reaches the result but not onChunk: standard
  // output's remainder first, then standard error's.
  for (auto channel : {QProcess::StandardOutput, QProcess::StandardError}) {
    process->setReadChannel(channel);
    if (const auto rest = decodeUtf8Chunk(process->readAll())) captured += *rest;
  }
  co_return std::move(captured).trimmed();
}

}  // namespace tessaro
