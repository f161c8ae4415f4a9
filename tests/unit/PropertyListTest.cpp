#include <gtest/gtest.h>
#include <plist/plist.h>

#include "drives/PropertyList.h"
#include "exec/Error.h"

using tessaro::Error;
using tessaro::parsePropertyList;
using tessaro::writeXmlPropertyList;

namespace {

const char* const kInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>BusProtocol</key>
	<string>USB</string>
	<key>Ejectable</key>
	<true/>
	<key>Internal</key>
	<false/>
	<key>TotalSize</key>
	<integer>32015679488</integer>
	<key>Offset</key>
	<integer>-512</integer>
	<key>Ratio</key>
	<real>0.25</real>
	<key>Partitions</key>
	<array>
		<dict>
			<key>DeviceIdentifier</key>
			<string>disk4s1</string>
		</dict>
	</array>
	<key>MediaName</key>
	<string>Ünïcode Stick</string>
</dict>
</plist>
)";

}  // namespace

TEST(PropertyList, ReadsXmlAsDiskutilWritesIt) {
  const QVariant root = parsePropertyList(QString::fromUtf8(kInfo));
  ASSERT_EQ(root.typeId(), QMetaType::QVariantMap);
  const QVariantMap info = root.toMap();
  EXPECT_EQ(info["BusProtocol"], QVariant(QStringLiteral("USB")));
  EXPECT_EQ(info["Ejectable"].typeId(), QMetaType::Bool);
  EXPECT_TRUE(info["Ejectable"].toBool());
  EXPECT_FALSE(info["Internal"].toBool());
  EXPECT_EQ(info["TotalSize"].typeId(), QMetaType::LongLong);
  EXPECT_EQ(info["TotalSize"].toLongLong(), 32015679488LL);
  EXPECT_EQ(info["Offset"].toLongLong(), -512);
  EXPECT_EQ(info["Ratio"].typeId(), QMetaType::Double);
  EXPECT_EQ(info["MediaName"].toString(), QString::fromUtf8("Ünïcode Stick"));
  const QVariantList partitions = info["Partitions"].toList();
  ASSERT_EQ(partitions.size(), 1);
  EXPECT_EQ(partitions[0].toMap()["DeviceIdentifier"].toString(), "disk4s1");
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

  const QVariantMap map = parsePropertyList(bytes).toMap();
  EXPECT_EQ(map["DeviceIdentifier"].toString(), "disk2");
  EXPECT_TRUE(map["Removable"].toBool());
}

TEST(PropertyList, RejectsTextThatIsNotAPropertyList) {
  const QString diagnostic =
      QStringLiteral(R"(<?xml version="1.0"?><plist version="1.0"><dict/></plist>)"
                     "\nWarning: something on standard error");
  for (const QString& text :
       {QStringLiteral("Could not find disk: /dev/disk9"), QString(), QStringLiteral("   \n"),
        QStringLiteral("<plist version=\"1.0\"><dict><key>a</key><integer>1"),
        QStringLiteral("<html><body>no</body></html>"), diagnostic}) {
    try {
      parsePropertyList(text);
      ADD_FAILURE() << "accepted: " << text.toStdString();
    } catch (const Error& error) {
      EXPECT_EQ(error.domain(), tessaro::ErrorDomain::propertyList);
      EXPECT_FALSE(error.description().isEmpty());
    }
  }
}

TEST(PropertyList, WritesXmlThatReadsBack) {
  const QVariantMap dict{{"DeviceIdentifier", QStringLiteral("disk4")},
                         {"Removable", true},
                         {"Internal", false},
                         {"TotalSize", qint64(32'000'000'000)},
                         {"Small", 7},
                         {"Partitions", QVariantList{QVariantMap{{"Size", qint64(1)}}}}};
  const QString xml = writeXmlPropertyList(dict);
  EXPECT_TRUE(xml.startsWith("<?xml"));
  EXPECT_TRUE(xml.contains("<integer>32000000000</integer>"));
  EXPECT_TRUE(xml.contains("<true/>"));
  EXPECT_TRUE(xml.contains("<string>disk4</string>"));
  const QVariantMap back = parsePropertyList(xml).toMap();
  EXPECT_EQ(back["TotalSize"].toLongLong(), 32'000'000'000);
  EXPECT_EQ(back["Small"].toLongLong(), 7);
  EXPECT_EQ(back["Removable"], QVariant(true));
  EXPECT_EQ(back["Partitions"].toList()[0].toMap()["Size"].toLongLong(), 1);
}
