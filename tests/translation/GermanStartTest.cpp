// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Runs with LANGUAGE=de and LANG=de_DE.UTF-8 (set by CTest before the
// application starts) and installs the translations as the application does.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTranslator>

#include "Capability.h"
#include "contract/HelperEvent.h"
#include "drives/FormatRequestRules.h"
#include "drives/ProbeProgressText.h"
#include "drives/TranslatedWording.h"
#include "e2e/LoopImage.h"
#include "i18n/Translations.h"
#include "jobs/ReportTexts.h"
#include "ui/StatusLog.h"
#include "ui/ViewFixture.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {

class GermanStartTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    installed_ = Translations::install(*QCoreApplication::instance());
  }
  void SetUp() override {
    ASSERT_EQ(qgetenv("LANGUAGE"), "de") << "run through ctest, which sets the language";
    ASSERT_TRUE(installed_) << "no German translation found";
  }
  static inline bool installed_ = false;
};

// What call returns with no translation installed.
template <typename Call>
auto inEnglish(const Call& call) {
  const QList<QTranslator*> installed = qApp->findChildren<QTranslator*>();
  for (QTranslator* translator : installed) QCoreApplication::removeTranslator(translator);
  auto result = call();
  for (QTranslator* translator : installed) QCoreApplication::installTranslator(translator);
  return result;
}

TEST_F(GermanStartTest, WindowShowsGermanControlsAndLog) {
  auto view = settledView("2");
  Controls controls(*view);

  // The buttons' German titles, how they fit and that each keeps its
  // mnemonic: ContentViewLayout.NoLabelIsClipped and TranslationFileTest.
  EXPECT_EQ(controls.cluster->itemText(0), "Standard");
  EXPECT_EQ(controls.cluster->itemText(1), "512") << "sizes stay numbers";
  EXPECT_EQ(controls.picker->itemText(0), "32,02 GB SanDisk Ultra (sdb)") << "a decimal comma";
  EXPECT_TRUE(view->statusLog().contains("Willkommen bei Tessaro!"));
}

// Qt's own buttons come from Qt's German translation, Tessaro's from its own.
TEST_F(GermanStartTest, EraseQuestionIsGermanAndDefaultsToCancel) {
  const auto view = viewWithoutHelper(
      {QUuid::createUuid(), "sdz", "/dev/sdz", "(sdz)", "Example Stick", false, 31'500'000'000});
  const Question asked = questionAfter([&] { view->formatSelectedDrive(); });
  const QString& text = asked.text;
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("31,5 GB Example Stick (/dev/sdz) löschen?")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromUtf8("Clustergröße: 16 KiB, der Standard für dieses")))
      << text.toStdString();
  EXPECT_EQ(QString(asked.defaultButton).remove('&'), "Abbrechen");
  EXPECT_TRUE(asked.buttons.contains(QString::fromUtf8("Löschen")));
}

// Lines built from parts: plural forms, numbers in German digit grouping, and
// names that look like placeholders shown as they are.
TEST_F(GermanStartTest, BuiltLinesInGerman) {
  const std::pair<QString, const char*> rows[] = {
      {reportText::drivesFound(1), "1 externes Laufwerk/Wechsellaufwerk gefunden."},
      {reportText::drivesFound(3), "3 externe Laufwerke/Wechsellaufwerke gefunden."},
      {QString::fromStdString(
           *refuseClusterSize(65536, 300LL * 1024 * 1024, 512, std::nullopt, TranslatedWording())),
       "Eine Clustergröße von 65536 Bytes ergibt auf diesem Laufwerk 4.780 Cluster, FAT32 braucht "
       "aber 65.525 bis 268.435.445. Bitte Standard, 512, 1024, 2048 oder 4096 wählen."},
      {QString::fromStdString(*refuseLinuxVolumeName("%1 %2 %3 %4X", TranslatedWording())),
       "Die Volumebezeichnung \"%1 %2 %3 %4X\" ist 12 Zeichen lang; FAT32 erlaubt höchstens 11."},
      {StatusLog::droppedNotice(1234567),
       "[1.234.567 frühere Zeilen werden hier nicht angezeigt; „Protokoll speichern …“ behält "
       "sie alle.]"},
  };
  for (const auto& [line, german] : rows) EXPECT_EQ(line, QString::fromUtf8(german));

  // The capacity test's finding in German, while the JSON summary stays English.
  ProbeResult counterfeit;
  counterfeit.verdict = ProbeResult::Verdict::counterfeit;
  counterfeit.claimedBytes = 64'000'000'000;
  counterfeit.usableBytes = 15'500'000'000;
  counterfeit.firstBadOffset = 15'500'000'000;
  EXPECT_EQ(reportText::probeVerdict(counterfeit),
            QString::fromUtf8("Gefälscht: Nur die ersten 15,50 GB von 64,00 GB speichern Daten. "
                              "Das Laufwerk enthält jetzt Testdaten: vor der Verwendung "
                              "formatieren."));
  EXPECT_EQ(counterfeit.verdictLine(),
            "Counterfeit: only the first 15.50 GB of 64.00 GB hold data");

  // The damaged drive of Jobs/outcomes.rows, whose English lines that row holds.
  const auto event = contract::HelperEvent::fromLine(
      R"(@@tessaro-event@@ {"aliased":0,"badRegions":[[5000000000,5067108864]],"badRegionsLeftOut":0,"bytesRead":40000000,"bytesWritten":2147483648,"cacheBytes":0,"cacheRuledOutBytes":2147483648,"claimedBytes":16000000000,"event":"result","failedAfterBytes":null,"failure":null,"firstBadOffset":null,"intact":2090,"lost":10,"mode":"quick","readBytesPerSecond":31200000,"readErrors":{"bytes":0,"firstOffset":null,"requests":0},"retriedReads":1,"retriedWrites":0,"samples":2100,"seconds":12.345,"speedPartial":true,"tableCleared":true,"usableBytes":5000000000,"verb":"probe","verdict":"damaged","writeBytesPerSecond":23500000,"writeErrors":{"bytes":2097152,"firstOffset":5000000000,"requests":2}})");
  ASSERT_TRUE(event && event->get<contract::ProbeResult>());
  const ProbeResult damaged = ProbeResult::fromWire(*event->get<contract::ProbeResult>());
  EXPECT_EQ(reportText::probeVerdict(damaged),
            QString::fromUtf8("Beschädigt: Zwischen 5000,0 MB und 5067,1 MB wurden Daten falsch "
                              "zurückgelesen. Dort keine Daten auf dem Laufwerk ablegen. Es "
                              "enthält jetzt Testdaten: vor der Verwendung formatieren."));
  // Every line in German, no number with a decimal point (the figures
  // themselves: the English row of Jobs/outcomes.rows).
  const QStringList german = reportText::probeSummary(damaged);
  const QStringList english = inEnglish([&] { return reportText::probeSummary(damaged); });
  ASSERT_EQ(german.size(), 10) << german.join('\n').toStdString();
  for (qsizetype i = 0; i < german.size(); ++i) {
    EXPECT_NE(german[i], english.value(i));
    EXPECT_FALSE(german[i].contains(QRegularExpression("[0-9]\\.[0-9]")))
        << german[i].toStdString();
  }
  EXPECT_EQ(probeProgressText({0.42, 180, 0, 35'200'000}),
            QString::fromUtf8("42 %, noch etwa 3 min (35,2 MB/s)"));
}

CliRun cliIn(const QString& language, const QStringList& arguments) {
  return test::runCli(arguments, {}, {}, {"LANGUAGE=" + language.toUtf8()});
}

// What tessaro-cli prints on a terminal (script(1) gives it one) when the
// user answers its question with answer.
QString onATerminal(const QString& commandLine, const QString& language, const QByteArray& answer) {
  const test::ChildRun::Result run = test::ChildRun::run(
      "script", {"-qec", TESSARO_CLI_BUILD_PATH " " + commandLine.toUtf8(), "/dev/null"},
      {.input = answer, .environmentChanges = {"LANGUAGE=" + language.toUtf8()}}, 60000);
  return run.output;
}

// The command line speaks the user's language, falls back to English where
// there is no translation, and keeps its command words.
TEST_F(GermanStartTest, CommandLineInTheUsersLanguage) {
  const CliRun help = cliIn("de", {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.startsWith("Aufruf: tessaro-cli BEFEHL [DEVICE...] [OPTIONEN]"))
      << help.out.toStdString();
  EXPECT_TRUE(help.out.contains("  --json  ")) << "options stay as they are typed";
  for (const QString& line : help.out.split('\n'))
    EXPECT_LT(line.size(), 80) << "wider than a terminal: " << line.toStdString();

  const CliRun unknown = cliIn("de", {"list", "--jsn"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, QString::fromUtf8("tessaro-cli: unbekannte Option „--jsn“\n"
                                           "tessaro-cli --help zeigt die Befehle.\n"));

  const CliRun french = cliIn("fr", {"--help"});
  EXPECT_TRUE(french.out.startsWith("Usage: tessaro-cli COMMAND")) << french.out.toStdString();
}

// The command line's questions on a terminal and its table in German: every
// size with a decimal comma, and no line of the English question left.
TEST_F(GermanStartTest, CommandLineAsksAndListsInGerman) {
  if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
  test::LoopDisk disk({.bytes = 64 * 1024 * 1024, .blank = true});
  ASSERT_TRUE(disk.ready());
  static const QRegularExpression pointInASize(QStringLiteral("[0-9]\\.[0-9]+ ?[KMGTP]?i?B\\b"));
  for (const QString& command : {"format " + disk.name() + " --name Stick --cluster 512",
                                 "format " + disk.name(), "probe " + disk.name()}) {
    SCOPED_TRACE(command.toStdString());
    const QString german = onATerminal(command, "de", "nein\n");
    const QString english = onATerminal(command, "en", "no\n");
    ASSERT_TRUE(english.contains("Erase ") || english.contains("Test the capacity"))
        << english.toStdString();
    EXPECT_TRUE(german.contains(QString::fromUtf8("67,1 MB"))) << german.toStdString();
    EXPECT_FALSE(german.contains(pointInASize)) << german.toStdString();
    for (QString line : english.split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts)) {
      line = line.trimmed();
      if (line.isEmpty() || line.startsWith("nein") || line.startsWith("no")) continue;
      EXPECT_FALSE(german.contains(line)) << "English in German: " << line.toStdString();
    }
  }
  // An option value is named as it is typed, not as the window's menu says it.
  const QString refused = onATerminal("format " + disk.name() + " --cluster 4K", "de", "");
  EXPECT_TRUE(refused.contains(QString::fromUtf8("Bitte default oder 512 wählen.")))
      << refused.toStdString();
  const CliRun list = cliIn("de", {"list", "--all"});
  EXPECT_EQ(list.status, 0);
  EXPECT_TRUE(list.out.contains(disk.name() + QString::fromUtf8("\t67,1 MB\tloop\t")))
      << list.out.toStdString();
  EXPECT_FALSE(list.out.contains(pointInASize)) << list.out.toStdString();
}

}  // namespace
