// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <QFile>

#include "drives/mac/PropertyList.h"
#include "exec/Error.h"

using tessaro::parsePropertyList;

// libplist 2.2 aborts the process on some binary lists (a key holding U+0000);
// the binary form never reaches it.
TEST(PropertyList, RefusesTheBinaryFormBeforeLibplistSeesIt) {
  QFile file(TESSARO_FIXTURES_DIR "/PropertyList/typed-values.plist");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray xml = file.readAll();
  plist_t root = nullptr;
  plist_from_xml(xml.constData(), xml.size(), &root);
  char* binary = nullptr;
  uint32_t length = 0;
  plist_to_bin(root, &binary, &length);
  const QByteArray wellFormed(binary, length);
  plist_to_bin_free(binary);
  plist_free(root);
  const QByteArray keyWithNul = QByteArray::fromHex(
      "62706c6973743030d1010261000009080b0e000000000000010100000000000000030000000000000000000000"
      "000000000f");
  for (const QByteArray& bytes : {wellFormed, keyWithNul}) {
    try {
      parsePropertyList(bytes);
      ADD_FAILURE() << "read a binary property list";
    } catch (const tessaro::Error& error) {
      EXPECT_EQ(error.description(),
                "The data couldn't be read because it is a binary property list; only the XML "
                "form is read.");
    }
  }
}

TEST(PropertyList, RejectsTextThatIsNotAPropertyList) {
  for (const char* text :
       {"Could not find disk: /dev/disk9", "", "<plist version=\"1.0\"><dict><key>a</key>",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>\nWarning: on stderr",
        // Text after the list that libplist itself would let pass.
        "<plist version=\"1.0\"><dict/></plist><!-- -->"}) {
    EXPECT_THROW(parsePropertyList(QString::fromUtf8(text)), tessaro::Error) << text;
  }
  // A NUL byte inside the text.
  EXPECT_THROW(
      parsePropertyList(QByteArray("<plist><dict><key>a\0b</key><true/></dict></plist>", 49)),
      tessaro::Error);
}
