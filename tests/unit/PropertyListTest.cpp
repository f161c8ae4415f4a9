#include <gtest/gtest.h>
#include <plist/plist.h>

#include "drives/PropertyList.h"
#include "exec/Error.h"

using tessaro::parsePropertyList;
using tessaro::writeXmlPropertyList;

TEST(PropertyList, ReadsXmlAsDiskutilWritesIt) {
  const QVariantMap info =
      parsePropertyList(QString::fromUtf8(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Ejectable</key>
	<true/>
	<key>TotalSize</key>
	<integer>32015679488</integer>
	<key>Ratio</key>
	<real>0.25</real>
	<key>Partitions</key>
	<array><dict><key>DeviceIdentifier</key><string>disk4s1</string></dict></array>
	<key>MediaName</key>
	<string>Ünïcode Stick</string>
</dict>
</plist>
)"))
          .toMap();
  EXPECT_EQ(info["Ejectable"], QVariant(true));
  EXPECT_EQ(info["TotalSize"], QVariant(qint64(32015679488)));
  EXPECT_EQ(info["Ratio"], QVariant(0.25));
  EXPECT_EQ(info["MediaName"], QVariant(QString::fromUtf8("Ünïcode Stick")));
  EXPECT_EQ(info["Partitions"].toList().value(0).toMap()["DeviceIdentifier"], QVariant("disk4s1"));
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
    try {
      parsePropertyList(QString::fromUtf8(text));
      ADD_FAILURE() << "accepted: " << text;
    } catch (const tessaro::Error& error) {
      EXPECT_EQ(error.domain(), tessaro::ErrorDomain::propertyList) << text;
    }
  }
}

TEST(PropertyList, WritesXmlThatReadsBack) {
  const QVariantMap dict{{"DeviceIdentifier", "disk4"},
                         {"Removable", true},
                         {"Internal", false},
                         {"TotalSize", qint64(32'000'000'000)},
                         {"Partitions", QVariantList{QVariantMap{{"Size", qint64(1)}}}}};
  EXPECT_EQ(parsePropertyList(writeXmlPropertyList(dict)).toMap(), dict);
}
