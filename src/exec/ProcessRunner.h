#pragma once

#include <qcoro/qcorotask.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tessaro {

// Receives one decoded piece of a child's output. Unprivileged runs call it on
// the main thread; privileged runs call it on their worker thread.
using ChunkHandler = std::function<void(const QString&)>;

// What a privileged run learnt about the tool it ran.
struct PrivilegedRunResult {
  // The tool's exit status where the platform can know it (Linux); none where
  // it cannot (macOS's authorization service never reports it).
  std::optional<int> exitStatus;
};

// Runs the operating system's tools for the rest of the system: plainly, with
// output captured (runAndCapture), or with administrator rights, with output
// streamed in chunks (run).
class ProcessRunner : public QObject {
  Q_OBJECT
 public:
  ProcessRunner();

  // The one process-wide runner.
  static ProcessRunner& shared();

  // Starts cmd[0] with the rest as its arguments (no shell, no search path),
  // captures standard output and standard error in arrival order and returns
  // the text, trimmed. Each readable block is decoded as UTF-8 on its own; an
  // invalid block is dropped whole. onChunk gets every delivered block; the
  // remainders read after exit reach the result only. An empty cmd gives ""
  // without starting anything. Only a launch failure raises (an Error carrying
  // the platform's message); exit status and signals are not failures.
  QCoro::Task<QString> runAndCapture(QStringList cmd, ChunkHandler onChunk = {});

  // Runs tool with args with administrator rights. Output reaches onChunk in
  // chunks of at most 4096 bytes as it arrives, each decoded on its own.
  // Raises Error("Authorization failed (<status>)") when rights are refused or
  // the tool cannot be started.
  QCoro::Task<PrivilegedRunResult> run(QString tool, QStringList args, ChunkHandler onChunk = {});

  // The program that obtains administrator rights on Linux (pkexec). Tests
  // put a stand-in here. Unused when the process already runs as root, unless
  // forceElevation is set.
  void setElevationProgram(const QString& path, bool forceElevation = false);
  QString elevationProgram() const { return elevationProgram_; }

 private:
  QString elevationProgram_;
  bool forceElevation_ = false;
};

}  // namespace tessaro
