// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The capacity test as users start it: the window's Test Capacity with the
// format of the real capacity it offers, and tessaro-cli probe.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>

#include "Capability.h"
#include "CounterfeitDrive.h"
#include "LoopImage.h"

using namespace tessaro;
using test::CliRun;
using test::runCli;
using test::runProgram;
using test::shown;

namespace {

constexpr qint64 kMiB = qint64(1) << 20;
constexpr qint64 kGiB = qint64(1) << 30;

class ProbeWorkflowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingFuse(); !why.empty()) GTEST_SKIP() << why;
  }
};

// A partition that ends within the real size holds a FAT32 that the drive
// keeps, as the tools read it back.
TEST_F(ProbeWorkflowTest, WindowFindsTheCounterfeitAndFormatsOnlyWhatHoldsData) {
  constexpr qint64 kReal = 300 * kMiB + 4096;
  test::CounterfeitDrive fake("wrap", 4 * kGiB, kReal);
  ASSERT_FALSE(fake.device().isEmpty()) << fake.failure().toStdString();
  test::LoopWindow window;
  window.view.setLabel("Real");
  std::optional<qint64> offered;
  window.view.setCapacityFormatOffer([&](const Drive&, const ProbeResult& result, qint64 bytes) {
    EXPECT_EQ(result.usableBytes, quint64(kReal) / 4096 * 4096);
    offered = bytes;
    return true;
  });
  int progressShown = 0;
  auto* bar = window.view.findChild<QProgressBar*>("probeProgress");
  ASSERT_TRUE(bar);
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int) { ++progressShown; });

  // The offer comes once the test has ended; the format it starts follows.
  window.view.setSelectedDrive(
      Drive{{}, fake.device().mid(5), fake.device(), "Counterfeit", {}, false, 4 * kGiB});
  // The format's title replaces the log: the test's account is kept as it grows.
  QString probeLog;
  QObject::connect(&window.view, &ContentView::statusLogChanged, [&] {
    if (window.view.statusLog().startsWith("Starting capacity test"))
      probeLog = window.view.statusLog();
  });
  int ended = 0;
  QEventLoop bothEnded;
  QObject::connect(&window.view, &ContentView::workflowFinished, &bothEnded, [&] {
    if (++ended == 2) bothEnded.quit();
  });
  QTimer::singleShot(240000, &bothEnded, &QEventLoop::quit);
  window.view.probeSelectedDrive();
  bothEnded.exec();
  QCoreApplication::processEvents();
  EXPECT_FALSE(window.view.isBusy());
  EXPECT_TRUE(probeLog.contains("\nCounterfeit: only the first 0.31 GB of 4.29 GB hold data"))
      << probeLog.toStdString();
  EXPECT_GT(progressShown, 0);
  EXPECT_FALSE(bar->isVisible());
  ASSERT_EQ(offered, 299 * kMiB);
  const QString log = window.view.statusLog();
  EXPECT_TRUE(log.contains("\nVerified: ")) << log.toStdString();
  EXPECT_TRUE(log.contains("Format complete for REAL on " + fake.device())) << log.toStdString();

  const QString partition = fake.device() + "p1";
  EXPECT_EQ(runProgram("fsck.fat", {"-n", partition}).first, 0);
  EXPECT_EQ(runProgram("blkid", {"-p", "-o", "value", "-s", "VERSION", partition}).second, "FAT32");
  const QString dump = runProgram("sfdisk", {"--dump", fake.device()}).second;
  EXPECT_TRUE(
      dump.contains(QStringLiteral("start=        2048, size=%1, type=c").arg(*offered / 512, 12)))
      << dump.toStdString();
}

TEST_F(ProbeWorkflowTest, CliSaysEveryVerdictAsJsonAndInLines) {
  {
    test::CounterfeitDrive fake("drop", 4 * kGiB, 512 * kMiB);
    ASSERT_FALSE(fake.device().isEmpty()) << fake.failure().toStdString();
    const CliRun run = runCli({"probe", fake.device(), "--json", "--yes"});
    EXPECT_EQ(run.status, 6) << shown(run);
    const QJsonObject facts = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(test::keysInAnotherStyle(facts), QStringList());
    EXPECT_EQ(facts["verdict"].toString(), "counterfeit") << shown(run);
    EXPECT_EQ(facts["usable-bytes"].toInteger(), 512 * kMiB);
    EXPECT_EQ(facts["claimed-bytes"].toInteger(), 4 * kGiB);
    EXPECT_GE(facts["first-bad-offset"].toInteger(), facts["usable-bytes"].toInteger());
    for (const char* figure : {"samples", "bytes-written", "bytes-read", "seconds",
                               "write-bytes-per-second", "read-bytes-per-second"}) {
      EXPECT_GT(facts[figure].toDouble(), 0) << figure;
    }
    EXPECT_TRUE(facts["cache-bytes"].isDouble());
  }
  {
    // Bad sectors among good ones are damage, with the good regions named.
    test::CounterfeitDrive fake("genuine", 2 * kGiB, 0,
                                {"--flip-band", QString::number(kGiB), QString::number(16 * kMiB)});
    ASSERT_FALSE(fake.device().isEmpty()) << fake.failure().toStdString();
    const CliRun run = runCli({"probe", fake.device(), "--json", "--yes"});
    EXPECT_EQ(run.status, 9) << shown(run);
    const QJsonObject facts = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(test::keysInAnotherStyle(facts), QStringList());
    EXPECT_EQ(facts["verdict"].toString(), "damaged") << shown(run);
    const QJsonObject bad = facts["bad-regions"].toArray().first().toObject();
    EXPECT_EQ(bad["start"].toInteger(), kGiB);
    EXPECT_EQ(bad["end"].toInteger(), kGiB + 16 * kMiB);
    EXPECT_EQ(facts["good-regions"].toArray().size(), 2);
  }
  {
    // Writes refused after 64 MiB: a drive that failed, never a genuine one.
    test::CounterfeitDrive fake("genuine", 2 * kGiB, 0,
                                {"--readonly-after", QString::number(64 * kMiB)});
    ASSERT_FALSE(fake.device().isEmpty()) << fake.failure().toStdString();
    const CliRun run = runCli({"probe", fake.device(), "--yes"});
    EXPECT_EQ(run.status, 10) << shown(run);
    EXPECT_TRUE(run.err.contains("tessaro-cli: Failed: the drive refused writes after 6"))
        << shown(run);
    ASSERT_FALSE(run.lines().isEmpty());
    EXPECT_EQ(run.lines().last(), "No format is offered: the drive failed the test.") << shown(run);
  }
  {
    // 20 MiB hold data: too little for FAT32, and the command says so
    // instead of naming a size that format refuses.
    test::CounterfeitDrive fake("drop", kGiB, 20 * kMiB);
    ASSERT_FALSE(fake.device().isEmpty()) << fake.failure().toStdString();
    const CliRun run = runCli({"probe", fake.device(), "--yes"});
    EXPECT_EQ(run.status, 6) << shown(run);
    ASSERT_FALSE(run.lines().isEmpty());
    EXPECT_TRUE(
        run.lines().last().startsWith("The part that holds data is too small to format as FAT32: "))
        << shown(run);
  }
  {
    // A drive that dies part way is no counterfeit: the status of a failure.
    test::CounterfeitDrive dying("genuine", 4 * kGiB, 0, {"--fail-after-ms", "300"});
    ASSERT_FALSE(dying.device().isEmpty()) << dying.failure().toStdString();
    const CliRun run = runCli({"probe", dying.device(), "--yes"});
    EXPECT_EQ(run.status, 8) << shown(run);
    EXPECT_TRUE(run.err.contains("tessaro-cli: Failed: " + dying.device() + " stopped responding"))
        << shown(run);
    EXPECT_FALSE(run.out.contains("Counterfeit")) << shown(run);
  }
  test::LoopImage image(2 * kGiB);
  ASSERT_FALSE(image.device().isEmpty());
  const CliRun run = runCli({"probe", image.device().mid(5), "--yes"});
  EXPECT_EQ(run.status, 0) << shown(run);
  ASSERT_GE(run.lines().size(), 2);
  EXPECT_TRUE(run.lines().at(run.lines().size() - 2).startsWith("Genuine: all ")) << shown(run);
  EXPECT_EQ(run.lines().last(), "To use it, format it: tessaro-cli format " + image.device().mid(5))
      << shown(run);
  // Not a terminal: progress comes as plain lines, never redrawn in place.
  EXPECT_GT(run.lines().filter(QRegularExpression("^Progress: [1-9][0-9]? %")).size(), 10)
      << shown(run);
  EXPECT_FALSE(run.out.contains('\r'));
}

}  // namespace

// Several drives tested as one batch, each on its own: a genuine, a
// counterfeit and a dying drive each get their own verdict or failure, in
// the table and in the JSON document, and the exit status is theirs: 6 when
// the only failures are counterfeits, 20 when they differ.
TEST_F(ProbeWorkflowTest, ABatchGivesEachDriveItsOwnVerdictAndStatus) {
  test::CounterfeitDrive genuine("genuine", kGiB, kGiB);
  test::CounterfeitDrive fake("drop", kGiB, 256 * kMiB);
  test::CounterfeitDrive dying("genuine", 4 * kGiB, 0, {"--fail-after-ms", "300"});
  for (const auto* drive : {&genuine, &fake, &dying})
    ASSERT_FALSE(drive->device().isEmpty()) << drive->failure().toStdString();

  const CliRun json =
      runCli({"probe", genuine.device(), fake.device(), dying.device(), "--json", "--yes"});
  EXPECT_EQ(json.status, 20) << shown(json);
  const QJsonArray drives =
      QJsonDocument::fromJson(json.out.toUtf8())["drives"].toArray();
  ASSERT_EQ(drives.size(), 3) << shown(json);
  EXPECT_EQ(drives[0]["device"], genuine.device());
  EXPECT_EQ(drives[0]["verdict"], "genuine");
  EXPECT_EQ(drives[0]["exit-status"], 0);
  EXPECT_EQ(drives[1]["device"], fake.device());
  EXPECT_EQ(drives[1]["verdict"], "counterfeit");
  EXPECT_EQ(drives[1]["usable-bytes"].toInteger(), 256 * kMiB);
  EXPECT_EQ(drives[1]["exit-status"], 6);
  EXPECT_EQ(drives[2]["device"], dying.device());
  EXPECT_EQ(drives[2]["error"]["kind"], "tool-failed");
  EXPECT_EQ(drives[2]["error"]["written"], true);
  EXPECT_EQ(drives[2]["exit-status"], 8);

  const CliRun text = runCli({"probe", fake.device(), genuine.device(), "--yes"});
  EXPECT_EQ(text.status, 6) << shown(text);
  const QString name = fake.device().mid(5);
  EXPECT_FALSE(text.lines().filter(QRegularExpression("^" + name + "\t6\tcounterfeit\t")).isEmpty())
      << shown(text);
  EXPECT_FALSE(text.lines().filter(QRegularExpression("^" + genuine.device().mid(5) + "\t0\tgenuine\t"))
                   .isEmpty())
      << shown(text);
  // Each line after its drive's name; the verdict that fails it on standard error.
  EXPECT_FALSE(text.lines().filter(QRegularExpression("^" + name + ": ")).isEmpty()) << shown(text);
  EXPECT_TRUE(text.err.contains("tessaro-cli: " + name + ": Counterfeit: ")) << shown(text);
}
