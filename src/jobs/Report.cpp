// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/Report.h"

#include "jobs/ReportTexts.h"

namespace tessaro {

void Report::verified(const contract::FormatVerdict& found) {
  ownLines({reportText::formatVerified(found)});
}

}  // namespace tessaro
