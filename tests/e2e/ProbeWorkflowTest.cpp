// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The capacity test as users start it: the window's Test Capacity with the
// format of the real capacity it offers, and tessaro-cli probe.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressBar>
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

// The figures of a counterfeit drive's verdict in the JSON document; the
// other verdicts and a batch of them are rows of CliEndToEnd/cases.rows.
TEST_F(ProbeWorkflowTest, CliSaysEveryVerdictAsJsonAndInLines) {
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

}  // namespace
