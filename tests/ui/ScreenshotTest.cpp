// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QtEndian>

#include "ViewFixture.h"
#include "exec/PkexecRunner.h"
#include "i18n/Translations.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {

// Where a picture goes: TESSARO_SCREENSHOT_DIR, else the working directory.
QString picturePath(const QString& name) {
  return QDir(qEnvironmentVariable("TESSARO_SCREENSHOT_DIR", QDir::currentPath())).filePath(name);
}

// What fsck.fat -a -w -v says as it repairs a FAT32 partition that mkfs.fat
// made and a lost cluster chain damaged, with the partition named as the
// window would name it; empty where dosfstools is missing.
QByteArray repairTranscript(const QString& dir, const QString& shownAs) {
  const QString image = dir + "/partition.img";
  QFile file(image);
  if (!file.open(QIODevice::WriteOnly) || !file.resize(64 * 1024 * 1024)) return {};
  file.close();
  QProcess mkfs;
  mkfs.start("/usr/sbin/mkfs.fat", {"-F", "32", "-h", "2048", "-n", "MY USB", image});
  if (!mkfs.waitForFinished(30000) || mkfs.exitCode() != 0) return {};
  if (!file.open(QIODevice::ReadWrite)) return {};
  const QByteArray boot = file.read(512);
  // Clusters 100 -> 101 -> end in the first FAT only, which no file points at.
  file.seek(qFromLittleEndian<quint16>(boot.constData() + 14) *
                qFromLittleEndian<quint16>(boot.constData() + 11) +
            400);
  file.write(QByteArray("\x65\0\0\0\xff\xff\xff\x0f", 8));
  file.close();
  QProcess fsck;
  fsck.setProcessChannelMode(QProcess::MergedChannels);
  fsck.start("/usr/sbin/fsck.fat", {"-a", "-w", "-v", image});
  if (!fsck.waitForFinished(30000) || fsck.exitCode() != 1) return {};
  return "$ /usr/sbin/fsck.fat -a -w -v " + shownAs.toUtf8() + "\n" +
         fsck.readAll().replace(image.toUtf8(), shownAs.toUtf8());
}

}  // namespace

// The window as a user first sees it, after the start-up refresh found two
// drives: saved as screenshot.png in the working directory, or where
// TESSARO_SCREENSHOT says (docs/screenshot.png for the README).
TEST(Screenshot, WindowWithTwoDrives) {
  auto view = makeView("2");
  view->resize(900, 640);
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 5000))
      << "still not so after 5000 ms: !view->isBusy()";
  ASSERT_EQ(view->diskManager().drives().size(), 2) << view->statusLog().toStdString();
  const QImage image = view->grab().toImage();
  const QString path = qEnvironmentVariable("TESSARO_SCREENSHOT", "screenshot.png");
  ASSERT_TRUE(image.save(QDir::current().filePath(path))) << path.toStdString();
}

// The questions before an erase and a capacity test, and the window after a
// check that corrected errors, in English and German: erase-question-en.png,
// probe-question-en.png, check-corrected-en.png and the same with -de, where
// TESSARO_SCREENSHOT_DIR says or in the working directory.
TEST(Screenshot, QuestionsAndACheckThatCorrectedErrors) {
  QTemporaryDir dir;
  const QByteArray transcript = repairTranscript(dir.path(), "/dev/sdb1");
  if (transcript.isEmpty()) GTEST_SKIP() << "dosfstools' mkfs.fat and fsck.fat are needed";
  QFile said(dir.filePath("said"));
  ASSERT_TRUE(said.open(QIODevice::WriteOnly));
  said.write(transcript);
  said.close();
  for (const char* language : {"en", "de"}) {
    SCOPED_TRACE(language);
    QList<QTranslator*> installed;
    if (QByteArray(language) != "en") {
      ASSERT_TRUE(Translations::install(*qApp, QLocale(QStringLiteral("de_DE"))));
      installed = qApp->findChildren<QTranslator*>();
    }
    const QString suffix = QStringLiteral("-%1.png").arg(QLatin1String(language));

    qputenv("TESSARO_TEST_SAY", QFile::encodeName(said.fileName()));
    qputenv("TESSARO_TEST_STATUS", "1");
    ProcessRunner runner;
    runner.setPrivilegedRunner(
        std::make_unique<PkexecRunner>(TESSARO_FIXTURES_DIR "/Jobs/elevate-and-say", true));
    attachDrives("2");
    const QString ui = TESSARO_FIXTURES_DIR "/ui/";
    ContentView view(std::make_unique<DiskManager>(
        std::make_unique<LinuxDiskTools>(ui + "lsblk", ui + "sysfs",
                                         "/usr/libexec/tessaro/tessaro-helper"),
        runner));
    view.resize(900, 640);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.isBusy(); }, 10000));
    view.setLabel("My USB");

    const Question erase = questionAfter([&] { view.formatSelectedDrive(); });
    ASSERT_FALSE(erase.picture.isNull());
    EXPECT_TRUE(erase.picture.save(picturePath("erase-question" + suffix)));
    const Question probe = questionAfter([&] { view.probeSelectedDrive(); });
    ASSERT_FALSE(probe.picture.isNull());
    EXPECT_TRUE(probe.picture.save(picturePath("probe-question" + suffix)));

    QSignalSpy finished(&view, &ContentView::workflowFinished);
    view.checkSelectedDrive();
    ASSERT_TRUE(finished.wait(10000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(view.statusLog().contains(language == QByteArray("en")
                                              ? "\nErrors were found and corrected.\n"
                                              : "\nFehler wurden gefunden und behoben.\n"))
        << view.statusLog().toStdString();
    EXPECT_TRUE(view.grab().toImage().save(picturePath("check-corrected" + suffix)));
    qunsetenv("TESSARO_TEST_SAY");
    qunsetenv("TESSARO_TEST_STATUS");
    for (QTranslator* translator : installed) {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    }
  }
}
