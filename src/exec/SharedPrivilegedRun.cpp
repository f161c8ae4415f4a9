// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/SharedPrivilegedRun.h"

#include "contract/HelperContract.h"
#include "exec/PrivilegedLane.h"

namespace tessaro {

namespace {

bool runsInBatch(const QStringList& args) {
  if (args.size() < 2) return false;
  const QString& verb = args.first();
  return verb == QLatin1String(HelperContract::formatVerb) ||
         verb == QLatin1String(HelperContract::checkVerb) ||
         verb == QLatin1String(HelperContract::probeVerb);
}

}  // namespace

SharedPrivilegedRun::SharedPrivilegedRun(ProcessRunner& runner, QObject* parent)
    : QObject(parent), runner_(runner) {}

SharedPrivilegedRun::~SharedPrivilegedRun() = default;

ProcessRunner& SharedPrivilegedRun::addLane() {
  auto lane = std::make_unique<Lane>();
  lane->runner = std::make_unique<ProcessRunner>();
  lane->runner->setPrivilegedRunner(std::make_unique<PrivilegedLane>(*this, lanes_.size()));
  lanes_.push_back(std::move(lane));
  return *lanes_.back()->runner;
}

QCoro::Task<PrivilegedRunResult> SharedPrivilegedRun::runLane(
    qsizetype index, QString tool, QStringList args, PrivilegedOutput output,
    std::shared_ptr<Cancellation> cancel) {
  Lane& lane = *lanes_[size_t(index)];
  bool joins = false;
  bool cancelled = false;
  {
    const std::lock_guard lock(mutex_);
    joins = lane.state == Lane::State::waiting && !launched_ && runsInBatch(args);
    // Cancelled before the shared run began: this disk is never named.
    cancelled = joins && cancel && cancel->isCancelled();
    if (lane.state == Lane::State::waiting) lane.state = Lane::State::left;
    if (joins && !cancelled) {
      lane.state = Lane::State::asked;
      lane.tool = tool;
      lane.args = args;
      lane.output = output;
    }
  }
  if (cancelled) {
    maybeStart();
    co_return PrivilegedRunResult{std::nullopt, false, true};
  }
  if (!joins) {
    maybeStart();
    co_return co_await runner_.run(std::move(tool), std::move(args), std::move(output),
                                   std::move(cancel));
  }
  Cancellation::Hook stop;
  if (cancel) stop = cancel->onCancel([this, index] { cancelLane(index); });
  maybeStart();
  co_await Ending(*this, lane.ended, lane.waiting);
  stop.release();
  if (lane.state == Lane::State::alone) {
    co_return co_await runner_.run(std::move(tool), std::move(args), std::move(output),
                                   std::move(cancel));
  }
  if (lane.error) std::rethrow_exception(lane.error);
  co_return lane.result;
}

void SharedPrivilegedRun::cancelLane(qsizetype index) {
  const std::lock_guard lock(mutex_);
  Lane& lane = *lanes_[size_t(index)];
  if (lane.state != Lane::State::asked || lane.ended || lane.cancelAsked) return;
  lane.cancelAsked = true;
  if (!launched_) {
    // Not named to the helper yet, and never will be.
    lane.state = Lane::State::left;
    endLane(lane, PrivilegedRunResult{std::nullopt, false, true});
    QMetaObject::invokeMethod(
        this, [this] { maybeStart(); }, Qt::QueuedConnection);
    return;
  }
  if (requests_)
    requests_->post(std::string(HelperContract::cancelRequest) + ' ' +
                    lane.args.at(1).toStdString());
}

void SharedPrivilegedRun::leave(qsizetype index) {
  {
    const std::lock_guard lock(mutex_);
    Lane& lane = *lanes_[size_t(index)];
    if (lane.state == Lane::State::waiting) lane.state = Lane::State::left;
  }
  maybeStart();
}

void SharedPrivilegedRun::cancel() {
  std::shared_ptr<HelperRequests> requests;
  {
    const std::lock_guard lock(mutex_);
    cancelledAll_ = true;
    requests = requests_;
  }
  if (requests) requests->post(HelperContract::cancelRequest);
}

QCoro::Task<> SharedPrivilegedRun::ended() {
  {
    const std::lock_guard lock(mutex_);
    if (!launched_) co_return;
  }
  co_await Ending(*this, runEnded_, runWaiting_);
}

bool SharedPrivilegedRun::Ending::await_ready() const {
  const std::lock_guard lock(run_.mutex_);
  return ended_;
}

bool SharedPrivilegedRun::Ending::await_suspend(std::coroutine_handle<> awaiting) {
  const std::lock_guard lock(run_.mutex_);
  if (ended_) return false;
  waiting_ = awaiting;
  return true;
}

void SharedPrivilegedRun::wake(std::coroutine_handle<>& waiting) {
  if (!waiting) return;
  QMetaObject::invokeMethod(
      this, [resume = std::exchange(waiting, {})] { resume.resume(); }, Qt::QueuedConnection);
}

void SharedPrivilegedRun::endLane(Lane& lane, PrivilegedRunResult result) {
  lane.ended = true;
  lane.result = result;
  wake(lane.waiting);
}

void SharedPrivilegedRun::maybeStart() {
  QString tool;
  QStringList args;
  {
    const std::lock_guard lock(mutex_);
    if (launched_) return;
    for (const auto& lane : lanes_) {
      if (lane->state == Lane::State::waiting) return;
    }
    launched_ = true;
    const Lane* first = nullptr;
    QStringList disks;
    for (const auto& lane : lanes_) {
      if (lane->state != Lane::State::asked || lane->ended) continue;
      if (cancelledAll_) {
        endLane(*lane, PrivilegedRunResult{std::nullopt, false, true});
        continue;
      }
      if (!first) first = lane.get();
      // Arguments of their own: a run of its own.
      if (lane->tool != first->tool || lane->args.first() != first->args.first() ||
          lane->args.mid(2) != first->args.mid(2)) {
        lane->state = Lane::State::alone;
        endLane(*lane, {});
        continue;
      }
      lane->joined = true;
      disks << lane->args.at(1);
    }
    if (!first) {
      runEnded_ = true;
      wake(runWaiting_);
    } else {
      tool = first->tool;
      args << QLatin1String(HelperContract::batchVerb) << first->args.first() << disks
           << QLatin1String(HelperContract::batchArgumentsMark) << first->args.mid(2);
      requests_ = std::make_shared<HelperRequests>();
    }
  }
  if (!tool.isEmpty()) running_.emplace(launch(tool, args));
}

QCoro::Task<> SharedPrivilegedRun::launch(QString tool, QStringList args) {
  PrivilegedOutput output;
  output.lines = [this](const QStringList& lines) { routeLines(lines); };
  output.events = [this](const contract::HelperEvent& event) { routeEvent(event); };
  output.started = [this] {
    for (Lane* lane : listening()) {
      if (lane->output.started) lane->output.started();
    }
  };
  PrivilegedRunResult ran;
  std::exception_ptr failed;
  try {
    ran = co_await runner_.runWithRequests(tool, args, output, requests_);
  } catch (...) {
    failed = std::current_exception();
  }
  {
    const std::lock_guard lock(mutex_);
    for (const auto& lane : lanes_) {
      if (!lane->joined || lane->ended) continue;
      lane->error = failed;
      // Its disk's end was never told: never a success.
      PrivilegedRunResult result{ran.exitStatus, ran.toolStarted,
                                 ran.cancelled || lane->cancelAsked || cancelledAll_};
      const int status = ran.exitStatus.value_or(HelperContract::toolFailed);
      if (status == HelperContract::success || status == HelperContract::batchIncomplete)
        result.exitStatus = HelperContract::toolFailed;
      endLane(*lane, result);
    }
    runEnded_ = true;
    wake(runWaiting_);
  }
}

SharedPrivilegedRun::Lane* SharedPrivilegedRun::laneOf(const std::string& disk) {
  for (const auto& lane : lanes_) {
    if (lane->joined && lane->args.at(1).toStdString() == disk) return lane.get();
  }
  return nullptr;
}

// The lanes still running. Only the reading thread ends a lane while the
// shared run runs, so one found running here stays so while it is told.
std::vector<SharedPrivilegedRun::Lane*> SharedPrivilegedRun::listening() {
  const std::lock_guard lock(mutex_);
  std::vector<Lane*> running;
  for (const auto& lane : lanes_) {
    if (lane->joined && !lane->ended) running.push_back(lane.get());
  }
  return running;
}

void SharedPrivilegedRun::routeEvent(const contract::HelperEvent& event) {
  Lane* lane = event.disk() ? laneOf(*event.disk()) : nullptr;
  if (event.get<contract::LinesEvent>()) {
    linesNamed_ = true;
    linesOf_ = lane;
    return;
  }
  // Of a disk that no lane runs: nobody's.
  if (event.disk() && !lane) return;
  if (const auto* finished = event.get<contract::FinishedEvent>()) {
    if (!lane) return;
    const std::lock_guard lock(mutex_);
    if (!lane->ended)
      endLane(*lane,
              PrivilegedRunResult{finished->status, true, lane->cancelAsked || cancelledAll_});
    return;
  }
  for (Lane* told : listening()) {
    if ((!lane || told == lane) && told->output.events) told->output.events(event);
  }
}

void SharedPrivilegedRun::routeLines(const QStringList& lines) {
  for (Lane* told : listening()) {
    if ((!linesNamed_ || told == linesOf_) && told->output.lines) told->output.lines(lines);
  }
}

}  // namespace tessaro
