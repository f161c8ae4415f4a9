// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What crosses the root boundary: the JSON the helper's events are written
// in, hostile and broken texts among them, as data.

#include <gtest/gtest.h>

#include "DataRows.h"
#include "contract/Json.h"

using namespace tessaro;
using tessaro::contract::Json;

TEST(ContractTest, JsonIsReadStrictlyAndWrittenSoThatItCanBeRead) {
  const QList<test::DataRow> rows =
      test::readDataRows(QStringLiteral(TESSARO_FIXTURES_DIR "/Contract/json.rows"));
  ASSERT_GT(rows.size(), 40);
  for (const test::DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 3) << row.where.toStdString();
    SCOPED_TRACE(row.where.toStdString() + ": " + row.fields[2].toStdString());
    const QByteArray input = test::unescaped(row.fields[1]);
    const std::string text(input.constData(), size_t(input.size()));
    if (row.fields[0] == "write") {
      const std::string written = Json(text).compact();
      EXPECT_EQ(written, test::unescaped(row.fields[2]).toStdString());
      EXPECT_TRUE(Json::parse(written).has_value());
      continue;
    }
    const std::optional<Json> read = Json::parse(text);
    if (row.fields[0] == "refuse") {
      EXPECT_FALSE(read.has_value()) << read->compact();
      continue;
    }
    ASSERT_EQ(row.fields[0], "read");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->compact(), test::unescaped(row.fields[2]).toStdString());
    // What is written reads back as the same value.
    EXPECT_EQ(Json::parse(read->compact()), read);
  }
}
