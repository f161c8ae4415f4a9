#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstring>

#include "drives/PropertyList.h"
#include "exec/Error.h"

using tessaro::parsePropertyList;

TEST(PropertyList, ReadsXmlAndBinaryAndWritesXmlThatReadsBack) {
  const char* const xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Ejectable</key><true/>
	<key>Internal</key><false/>
	<key>TotalSize</key><integer>32015679488</integer>
	<key>Ratio</key><real>0.25</real>
	<key>Partitions</key><array><dict><key>Offset</key><integer>-512</integer></dict></array>
	<key>MediaName</key><string>Ünïcode Stick</string>
</dict>
</plist>
)";
  const QVariantMap expected{{"Ejectable", true},
                             {"Internal", false},
                             {"TotalSize", qint64(32015679488)},
                             {"Ratio", 0.25},
                             {"Partitions", QVariantList{QVariantMap{{"Offset", qint64(-512)}}}},
                             {"MediaName", QString::fromUtf8("Ünïcode Stick")}};
  EXPECT_EQ(parsePropertyList(QString::fromUtf8(xml)).toMap(), expected);
  EXPECT_EQ(parsePropertyList(tessaro::writeXmlPropertyList(expected)).toMap(), expected);

  plist_t root = nullptr;
  plist_from_xml(xml, std::strlen(xml), &root);
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
