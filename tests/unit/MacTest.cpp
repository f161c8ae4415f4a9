// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// macOS: diskutil's property lists, the drives and reports read from them,
// and the authorization service's privileged run.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "DataRows.h"
#include "cli/InfoFactsJson.h"
#include "drives/mac/MacDiskTools.h"
#include "drives/mac/PropertyList.h"
#include "drives/mac/PropertyListFacts.h"
#include "exec/Error.h"
#include "jobs/InfoReport.h"

// The macOS primitive's own source, built here against the stand-in (the
// path is taken from src/exec, where the source lives).
#define TESSARO_AUTHORIZATION_DOUBLE "../../tests/unit/PrivilegedAuthorizationDouble.h"
#include "exec/MacPrivilegedTool.cpp"

using namespace tessaro;

namespace {

std::optional<Drive> driveFrom(const QVariantMap& info) {
  return MacDiskTools().parseDriveInfo(writeXmlPropertyList(info), "disk4");
}

// diskutil's info of a USB stick (usb-stick-disk.plist) and of its partition.
QString fixture(const char* name) {
  QFile file(QStringLiteral(TESSARO_FIXTURES_DIR "/InfoReport/") + QLatin1String(name));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  return QString::fromUtf8(file.readAll());
}

TEST(MacDiscovery, ExternalOrRemovableRuleAndDescription) {
  const auto rows = test::readDataRows(TESSARO_FIXTURES_DIR "/diskutil/drive-info.rows");
  ASSERT_GT(rows.size(), 12);
  for (const test::DataRow& row : rows) {
    const std::optional<Drive> drive = driveFrom(test::propertiesOf(row.fields[0]));
    EXPECT_EQ(drive ? drive->description : "internal", QString::fromUtf8(row.fields[1]))
        << row.where.toStdString();
  }
  EXPECT_EQ(driveFrom({{"DeviceModel", ""}, {"MediaName", "Media"}}).value().model, "");
}

TEST(PropertyList, RejectsTextThatIsNotAPropertyList) {
  const QByteArrayList texts =
      test::readDataLines(TESSARO_FIXTURES_DIR "/PropertyList/not-lists.txt");
  ASSERT_GE(texts.size(), 6);
  for (const QByteArray& text : texts) {
    const QByteArray bytes = test::unescaped(text);
    try {
      parsePropertyList(bytes);
      ADD_FAILURE() << "read: " << text.toStdString();
    } catch (const Error& error) {
      if (bytes.startsWith("bplist"))
        EXPECT_EQ(error.description(),
                  "The data couldn't be read because it is a binary property list; only the XML "
                  "form is read.");
    }
  }
}

// The report of diskutil's output, as the macOS tools read it.
QStringList reportOf(const QString& output) {
  const auto facts = driveFactsFromPropertyLists(output);
  return facts ? infoReportLines(*facts) : QStringList();
}

const QString kMark = QStringLiteral("\u2014");

TEST(InfoReport, StrayTextAndDocumentsThatAreNotPropertyLists) {
  const QStringList unknownDisk{"Device: " + kMark, "Model: " + kMark + "   Bus: " + kMark,
                                "Removable: No   Ejectable: No   Whole Disk: No"};
  // Text in front of the first document is a document of its own, in the disk's place.
  const QStringList partition{"", "Partition Info:", "Volume Name: " + kMark,
                              "Mounted: No   Mount Point: " + kMark};
  EXPECT_EQ(reportOf("Password:\n" + fixture("usb-stick-disk.plist") +
                     fixture("usb-stick-partition.plist")),
            unknownDisk + partition);
  for (const char* notAList :
       {"<?xml Could not find disk: /dev/disk9", R"(<?xml version="1.0"?><html></html>)"})
    EXPECT_EQ(reportOf(notAList), unknownDisk) << notAList;
  EXPECT_TRUE(reportOf("Could not find disk: /dev/disk9\n").isEmpty());
}

TEST(InfoFactsJson, HoldsWhatTheReportShowsWithMissingValuesAsNull) {
  const QString disk = fixture("usb-stick-disk.plist");
  const QMap<QString, QString> pieces{{"disk", disk},
                                      {"partition", fixture("usb-stick-partition.plist")},
                                      {"half", disk.left(disk.size() / 2)},
                                      {"garbage", "<?xml garbage"}};
  const auto rows = test::readDataRows(TESSARO_FIXTURES_DIR "/InfoReport/facts-json.rows");
  ASSERT_GT(rows.size(), 4);
  for (const test::DataRow& row : rows) {
    QString output;
    for (const QByteArray& piece : test::wordsOf(row.fields[0]))
      output += pieces[QString::fromUtf8(piece)];
    const std::string facts =
        InfoFactsJson::object(DriveFacts::ofDisk(driveFactsFromPropertyLists(output), "disk4"),
                              "disk4", {}, Wording::english())
            .compact();
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(facts)).object(),
              QJsonDocument::fromJson(row.fields[1]).object())
        << row.where.toStdString() << ": " << facts;
  }
}

using Calls = std::vector<std::string>;

// What the tool printed; when refused, the status and whatever was printed anyway.
QByteArray runTool(const QString& line) {
  QByteArray out;
  const int32_t status =
      tessaro::runPrivilegedTool("/bin/sh", {"-c", line}, [&out](const QByteArray& bytes) {
        EXPECT_LE(bytes.size(), 4096);
        out += bytes;
      });
  return status == 0 ? out : QByteArray::number(status) + out;
}

TEST(PrivilegedMacToolTest, AsksForTheAdminRightThenStreamsStandardOutput) {
  authorizationDouble = {};
  const QString line = "head -c 10000 /dev/zero | tr '\\0' y; echo err >&2; exit 3";
  EXPECT_EQ(runTool(line), QByteArray(10000, 'y'));
  EXPECT_EQ(authorizationDouble.calls,
            (Calls{"create 0", "copyRights 19 system.privilege.admin", "execute 0", "free 0"}));
  EXPECT_EQ(authorizationDouble.toolAndArguments, (Calls{"/bin/sh", "-c", line.toStdString()}));
}

TEST(PrivilegedMacToolTest, EachRefusalReturnsItsStatusAndReleasesWhatWasCreated) {
  const std::string copy = "copyRights 19 system.privilege.admin";
  const std::tuple<const char*, OSStatus, Calls> cases[] = {
      {"create", -60008, {"create 0"}},
      {"copyRights", -60006, {"create 0", copy, "free 0"}},  // the user cancelled
      {"execute", -60031, {"create 0", copy, "execute 0", "free 0"}},
  };
  for (const auto& [step, status, calls] : cases) {
    SCOPED_TRACE(step);
    authorizationDouble = {.answers = {{step, status}}};
    EXPECT_EQ(runTool("echo never"), QByteArray::number(status));
    EXPECT_EQ(authorizationDouble.calls, calls);
  }
}

}  // namespace
