// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The helper's event lines as the application reads them: any line is one
// event or none, and an event written again is one line that reads back as
// the same event.
#include <QByteArray>
#include <QString>
#include <string>

#include "FuzzCheck.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"

using tessaro::contract::HelperEvent;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Inputs are stored without the prefix, so that the fuzzer spends itself on the JSON.
  const std::string line =
      tessaro::HelperContract::eventPrefix + std::string(reinterpret_cast<const char*>(data), size);
  const QString hex =
      QString::fromLatin1(QByteArray::fromStdString(line.substr(0, 200)).toHex(' '));
  if (const std::optional<HelperEvent> event = HelperEvent::fromLine(line)) {
    const std::string written = event->line();
    FUZZ_CHECK(written.find('\n') == std::string::npos, hex);
    FUZZ_CHECK(HelperEvent::fromLine(written) == event, hex);
  }
  return 0;
}
