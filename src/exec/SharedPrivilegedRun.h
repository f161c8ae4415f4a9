// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QObject>
#include <coroutine>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "exec/PrivilegedRunner.h"
#include "exec/ProcessRunner.h"

namespace tessaro {

// One privileged run of the helper over several disks (its batch verb,
// HelperContract.h), shared by the privileged runs of several jobs: each job
// runs on a lane of its own (addLane()), and its run of VERB DISK ARGUMENT...
// becomes DISK's share of one run of "batch VERB DISK... -- ARGUMENT...",
// asked for rights once.
//
// The shared run starts once every lane has asked for its run or has left
// (its job ended without one, or was cancelled before the run started): a
// lane that never joins is never named to the helper. A lane hears its own
// disk's events and the text frames that its lines events name, and its run
// ends on its disk's finished event, with that status. What the helper tells
// for no disk (a refusal of the whole batch) every lane hears; a lane whose
// disk ended without a finished event ends with the run's status, never as a
// success. Rights refused, or a run that could not start, end every lane as
// its own run would have ended. A lane's cancel stops its disk alone; cancel()
// stops the whole run. A second privileged run of a lane's job, or one that
// the helper cannot run in a batch or with other arguments than the others',
// runs on its own through the runner.
//
// Lives on the main thread; lanes are cancelled from any thread.
class SharedPrivilegedRun : public QObject {
  Q_OBJECT
 public:
  explicit SharedPrivilegedRun(ProcessRunner& runner, QObject* parent = nullptr);
  ~SharedPrivilegedRun() override;

  // A new lane's runner, which lives as long as this does.
  ProcessRunner& addLane();
  // The lane's job has ended: a lane that has not asked for its run never will.
  void leave(qsizetype lane);
  // Stops the whole shared run as one cancel stops one run; none starts after it.
  void cancel();
  // Ends when the shared run has, at once when none started.
  QCoro::Task<> ended();

  // The lane's privileged run (PrivilegedLane).
  QCoro::Task<PrivilegedRunResult> runLane(qsizetype lane, QString tool, QStringList args,
                                           PrivilegedOutput output,
                                           std::shared_ptr<Cancellation> cancel);

 private:
  // Awaits, on the main thread, until ended holds; the one who sets it
  // wakes the awaiting coroutine once (wake()).
  class Ending {
   public:
    Ending(SharedPrivilegedRun& run, const bool& ended, std::coroutine_handle<>& waiting)
        : run_(run), ended_(ended), waiting_(waiting) {}
    bool await_ready() const;
    bool await_suspend(std::coroutine_handle<> awaiting);
    void await_resume() const {}

   private:
    SharedPrivilegedRun& run_;
    const bool& ended_;
    std::coroutine_handle<>& waiting_;
  };

  struct Lane {
    enum class State { waiting, asked, left, alone };
    State state = State::waiting;
    QString tool;
    QStringList args;  // VERB DISK ARGUMENT...
    PrivilegedOutput output;
    bool joined = false;  // named to the helper
    bool ended = false;
    std::coroutine_handle<> waiting;  // its run, until ended
    bool cancelAsked = false;
    PrivilegedRunResult result;
    std::exception_ptr error;
    std::unique_ptr<ProcessRunner> runner;
  };

  void cancelLane(qsizetype index);
  void maybeStart();
  QCoro::Task<> launch(QString tool, QStringList args);
  // Under mutex_: resumes the coroutine waiting there, once, from the event loop.
  void wake(std::coroutine_handle<>& waiting);
  void endLane(Lane& lane, PrivilegedRunResult result);
  void routeEvent(const contract::HelperEvent& event);
  void routeLines(const QStringList& lines);
  Lane* laneOf(const std::string& disk);
  std::vector<Lane*> listening();

  ProcessRunner& runner_;
  std::vector<std::unique_ptr<Lane>> lanes_;
  std::mutex mutex_;
  bool launched_ = false;
  bool runEnded_ = false;
  std::coroutine_handle<> runWaiting_;
  bool cancelledAll_ = false;
  std::shared_ptr<HelperRequests> requests_;
  std::optional<QCoro::Task<>> running_;
  // Reading thread only: whose text frames come now (every lane's before
  // the first lines event; nobody's after one that names no lane's disk).
  bool linesNamed_ = false;
  Lane* linesOf_ = nullptr;
};

}  // namespace tessaro
