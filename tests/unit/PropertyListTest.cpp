#include <gtest/gtest.h>
#include <plist/plist.h>

#include "drives/PropertyList.h"
#include "exec/Error.h"

using tessaro::parsePropertyList;

TEST(PropertyList, ReadsXmlAsDiskutilWritesIt) {
  const QVariantMap info =
      parsePropertyList(QString::fromUtf8(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Ejectable</key><true/>
	<key>TotalSize</key><integer>32015679488</integer>
	<key>Ratio</key><real>0.25</real>
	<key>Partitions</key><array><dict><key>Size</key><integer>-1</integer></dict></array>
	<key>MediaName</key><string>Ünïcode Stick</string>
</dict>
</plist>
)"))
          .toMap();
  EXPECT_EQ(info, (QVariantMap{{"Ejectable", true},
                               {"TotalSize", qint64(32015679488)},
                               {"Ratio", 0.25},
                               {"Partitions", QVariantList{QVariantMap{{"Size", qint64(-1)}}}},
                               {"MediaName", QString::fromUtf8("Ünïcode Stick")}}));
}

TEST(PropertyList, ReadsBinaryForm) {
  plist_t dict = plist_new_dict();
  plist_dict_set_item(dict, "DeviceIdentifier", plist_new_string("disk2"));
  plist_dict_set_item(dict, "Removable", plist_new_bool(1));
  char* bin = nullptr;
  uint32_t length = 0;
  plist_to_bin(dict, &bin, &length);
  const QByteArray bytes(bin, length);
  plist_to_bin_free(bin);
  plist_free(dict);
  EXPECT_EQ(parsePropertyList(bytes).toMap(),
            (QVariantMap{{"DeviceIdentifier", "disk2"}, {"Removable", true}}));
}

TEST(PropertyList, RejectsTextThatIsNotAPropertyList) {
  for (const char* text :
       {"Could not find disk: /dev/disk9", "", "<plist version=\"1.0\"><dict><key>a</key>",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>\nWarning: on stderr"}) {
    EXPECT_THROW(parsePropertyList(QString::fromUtf8(text)), tessaro::Error) << text;
  }
}

TEST(PropertyList, WritesXmlThatReadsBack) {
  const QVariantMap dict{{"DeviceIdentifier", "disk4"},
                         {"Removable", true},
                         {"Internal", false},
                         {"TotalSize", qint64(32'000'000'000)},
                         {"Partitions", QVariantList{QVariantMap{{"Size", qint64(1)}}}}};
  EXPECT_EQ(parsePropertyList(tessaro::writeXmlPropertyList(dict)).toMap(), dict);
}
