// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/NotOfferedPhrase.h"

#include "drives/TranslatedWording.h"

namespace tessaro {

QString notOfferedPhrase(const NotOfferedReason& reason) {
  return QString::fromStdString(reason.phrase(TranslatedWording()));
}

}  // namespace tessaro
