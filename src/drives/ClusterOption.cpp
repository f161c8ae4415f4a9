// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ClusterOption.h"

#include <QCoreApplication>
#include <QHash>

namespace tessaro {

const std::array<ClusterOption, 9>& ClusterOption::allCases() {
  static const std::array<ClusterOption, 9> cases{Default, C512,   C1024,  C2048, C4096,
                                                  C8192,   C16384, C32768, C65536};
  return cases;
}

std::optional<ClusterOption> ClusterOption::fromRawValue(const QString& raw) {
  for (const auto option : allCases())
    if (option.rawValue() == raw) return option;
  return std::nullopt;
}

QString ClusterOption::rawValue() const {
  if (case_ == Default) return QStringLiteral("Default");
  return QString::number(*bytes());
}

namespace {
QString& chosenDefaultName() {
  static QString name;
  return name;
}
}  // namespace

QString ClusterOption::defaultName() {
  if (!chosenDefaultName().isEmpty()) return chosenDefaultName();
  //: The cluster size menu's entry that lets the formatter choose.
  return QCoreApplication::translate("ClusterOption", "Default");
}

void ClusterOption::setDefaultName(const QString& name) { chosenDefaultName() = name; }

std::optional<int> ClusterOption::bytes() const {
  if (case_ == Default) return std::nullopt;
  return 512 << (static_cast<int>(case_) - static_cast<int>(C512));
}

}  // namespace tessaro
