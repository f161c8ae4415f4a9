// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "contract/HelperEvent.h"
#include "exec/Cancellation.h"
#include "exec/Error.h"
#include "exec/HelperRequests.h"

namespace tessaro {

// Receives the lines of a child's output, one batch per read, in order.
// Unprivileged runs call it on the main thread; privileged runs call it on
// their worker thread.
using LineHandler = std::function<void(const QStringList& lines)>;
// Receives the helper's events as the contract's codec reads them, on the
// thread and in the order of its lines.
using EventHandler = std::function<void(const contract::HelperEvent& event)>;

// Where a privileged run's output goes: the lines for people, and the events
// the helper tells (which are never among the lines). A tool that is not the
// helper tells no events.
struct PrivilegedOutput {
  LineHandler lines;
  EventHandler events;
  // Called once, on the reading thread, when the tool itself has begun, past
  // any request for rights (on Linux: its start marker has arrived): the
  // rights were granted.
  std::function<void()> started;
};

// What a privileged run learnt about the tool it ran.
struct PrivilegedRunResult {
  // The tool's exit status where the platform can know it (Linux); none where
  // it cannot (macOS's authorization service never reports it).
  std::optional<int> exitStatus;
  // Whether the tool itself began, past any request for rights (on Linux: the
  // helper printed its start marker).
  bool toolStarted = false;
  // Whether the run was asked to stop while it ran.
  bool cancelled = false;
};

// Runs one tool with administrator rights: pkexec on Linux (PkexecRunner),
// the authorization service on macOS (AuthorizationRunner). The build links
// the platform's own one, which platformDefault() returns.
class PrivilegedRunner {
 public:
  virtual ~PrivilegedRunner() = default;

  static std::unique_ptr<PrivilegedRunner> platformDefault();

  // Runs tool with args with administrator rights. Its output reaches
  // output line by line (and event by event), in batches, as it arrives.
  // Raises Error("Authorization failed (<status>): <reason>") when rights
  // are refused or the tool cannot be started. A cancel asks the tool to stop
  // where the platform can; the run then ends when the tool has stopped,
  // with cancelled set.
  virtual QCoro::Task<PrivilegedRunResult> run(QString tool, QStringList args,
                                               PrivilegedOutput output,
                                               std::shared_ptr<Cancellation> cancel) = 0;
  // Runs tool as run() does, the lines posted to requests written to its
  // standard input as they come, a cancel line among them a cancel: a run of
  // the helper over several disks, each of which may be stopped alone. A
  // platform without such a run refuses it as rights refused.
  virtual QCoro::Task<PrivilegedRunResult> runWithRequests(
      QString tool, QStringList args, PrivilegedOutput output,
      std::shared_ptr<HelperRequests> requests);

 protected:
  // A tool line longer than this (in UTF-16 units, or bytes where the helper's
  // frames are read) reaches the log in pieces of at most this length.
  static constexpr qsizetype maxLineLength = 65536;

  static void deliver(const QStringList& lines, const LineHandler& onLines);
  // Decodes bytes that arrived all at once and hands them on as lines.
  static void deliverAll(const QByteArray& bytes, const LineHandler& onLines);
  static Error authorizationFailed(qint64 status, const QString& more = QString());
};

}  // namespace tessaro
