// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The JSON of the helper's events as the application reads it: any text is
// read as one value or refused, and what the writer makes of a value (or of
// any bytes as a string) reads back as that value.
#include <QByteArray>
#include <QString>
#include <string>

#include "FuzzCheck.h"
#include "contract/Json.h"

using tessaro::contract::Json;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const QString hex = QString::fromLatin1(QByteArray::fromStdString(text.substr(0, 200)).toHex(' '));
  if (const std::optional<Json> value = Json::parse(text)) {
    const std::string written = value->compact();
    FUZZ_CHECK(written.find('\n') == std::string::npos, hex);
    FUZZ_CHECK(Json::parse(written) == value, hex);
  }
  const std::string asString = Json(text).compact();
  const std::optional<Json> back = Json::parse(asString);
  FUZZ_CHECK(back && back->string(), hex);
  FUZZ_CHECK(asString.find('\n') == std::string::npos, hex);
  return 0;
}
