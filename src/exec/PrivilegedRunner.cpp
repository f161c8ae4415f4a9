// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/PrivilegedRunner.h"

#include <QCoreApplication>

#include "exec/OutputLineDecoder.h"

namespace tessaro {

void PrivilegedRunner::deliver(const QStringList& lines, const LineHandler& onLines) {
  if (!lines.isEmpty() && onLines) onLines(lines);
}

void PrivilegedRunner::deliverAll(const QByteArray& bytes, const LineHandler& onLines) {
  OutputLineDecoder decoder(maxLineLength);
  QStringList lines = decoder.feed(bytes);
  lines += decoder.finish();
  deliver(lines, onLines);
}

QCoro::Task<PrivilegedRunResult> PrivilegedRunner::runWithRequests(
    QString, QStringList, PrivilegedOutput, std::shared_ptr<HelperRequests>) {
  throw authorizationFailed(127);
  co_return PrivilegedRunResult{};
}

Error PrivilegedRunner::authorizationFailed(qint64 status, const QString& more) {
  return Error(
      ErrorDomain::authorization, status,
      QCoreApplication::translate("PrivilegedRunner", "Authorization failed (%1)").arg(status) +
          more);
}

}  // namespace tessaro
