// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <exception>
#include <string>

namespace tessaro {

// An error as the window sees it: a domain, a code and a readable description.
// Operations that take time raise it from their coroutines; the window shows
// only the description.
class Error : public std::exception {
 public:
  Error(QString domain, qint64 code, QString description)
      : domain_(std::move(domain)),
        code_(code),
        description_(std::move(description)),
        what_(description_.toStdString()) {}

  const QString& domain() const { return domain_; }
  qint64 code() const { return code_; }
  const QString& description() const { return description_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  QString domain_;
  qint64 code_;
  QString description_;
  std::string what_;
};

// The text the window shows for any failure: an Error's description, or what
// another exception says about itself.
inline QString describeError(const std::exception& error) {
  if (const auto* own = dynamic_cast<const Error*>(&error)) return own->description();
  return QString::fromUtf8(error.what());
}

// Error domains of this system.
namespace ErrorDomain {
inline const QString process = QStringLiteral("ProcessRunner");        // launch failures
inline const QString authorization = QStringLiteral("Authorization");  // privileged runs
inline const QString diskManager = QStringLiteral("DiskManager");      // lookups and discovery
inline const QString propertyList = QStringLiteral("PropertyList");    // plist reader
inline const QString json = QStringLiteral("JSON");                    // lsblk reader
inline const QString cancelled = QStringLiteral("Cancelled");          // stopped on request
inline const QString job =
    QStringLiteral("Job");  // a job's own failures; code: the tool's exit status
inline const QString capacityProbe = QStringLiteral("CapacityProbe");  // drive capacity test
// A tool ended with another status than 0; code: the status, description:
// the tool's last line.
inline const QString toolStatus = QStringLiteral("ToolStatus");
}  // namespace ErrorDomain

// The error of a run that stopped because it was asked to.
inline Error cancelledError() {
  return Error(ErrorDomain::cancelled, 0, QStringLiteral("Cancelled"));
}

// Whether error says that a run stopped because it was asked to.
inline bool isCancellation(const std::exception& error) {
  const auto* own = dynamic_cast<const Error*>(&error);
  return own && own->domain() == ErrorDomain::cancelled;
}

}  // namespace tessaro
