#include <gtest/gtest.h>
#include <plist/plist.h>

#include <QFile>

#include "drives/PropertyList.h"
#include "exec/Error.h"

using tessaro::parsePropertyList;

TEST(PropertyList, ReadsXmlAndBinaryAndWritesXmlThatReadsBack) {
  QFile file(TESSARO_FIXTURES_DIR "/PropertyList/typed-values.plist");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray xml = file.readAll();
  const QVariantMap expected{{"Ejectable", true},
                             {"Internal", false},
                             {"TotalSize", qint64(32015679488)},
                             {"Ratio", 0.25},
                             {"Partitions", QVariantList{QVariantMap{{"Offset", qint64(-512)}}}},
                             {"MediaName", QString::fromUtf8("Ünïcode Stick")}};
  EXPECT_EQ(parsePropertyList(QString::fromUtf8(xml)).toMap(), expected);
  EXPECT_EQ(parsePropertyList(tessaro::writeXmlPropertyList(expected)).toMap(), expected);

  plist_t root = nullptr;
  plist_from_xml(xml.constData(), xml.size(), &root);
  char* binary = nullptr;
  uint32_t length = 0;
  plist_to_bin(root, &binary, &length);
  EXPECT_EQ(parsePropertyList(QByteArray(binary, length)).toMap(), expected);
  plist_to_bin_free(binary);
  plist_free(root);
}

TEST(PropertyList, RejectsTextThatIsNotAPropertyList) {
  for (const char* text :
       {"Could not find disk: /dev/disk9", "", "<plist version=\"1.0\"><dict><key>a</key>",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>\nWarning: on stderr",
        // Text after the list that libplist itself would let pass.
        "<plist version=\"1.0\"><dict/></plist><!-- -->"}) {
    EXPECT_THROW(parsePropertyList(QString::fromUtf8(text)), tessaro::Error) << text;
  }
}
