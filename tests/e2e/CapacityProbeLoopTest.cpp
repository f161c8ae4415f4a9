// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryFile>
#include <cstdio>

#include "Capability.h"
#include "CounterfeitDrive.h"
#include "DataRows.h"
#include "exec/Error.h"
#include "helper/probe/CapacityProbe.h"
#include "helper/probe/LinuxProbeDevice.h"
#include "helper/probe/ProbeError.h"

using namespace tessaro;

namespace {

// The probe on real block devices: loop devices over counterfeit drives made
// here, and over sparse images.
class CapacityProbeLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingFuse(); !why.empty()) GTEST_SKIP() << why;
  }

  static ProbeResult probe(const QString& device) {
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_DIRECT | O_EXCL | O_CLOEXEC);
    if (fd < 0) throw Error("test", errno, "cannot open " + device);
    try {
      LinuxProbeDevice target(fd, device.toStdString());
      ProbeResult result = CapacityProbe(target).run();
      ::close(fd);
      std::printf("%s: %s\n", qPrintable(device), result.verdictLine().c_str());
      return result;
    } catch (...) {
      ::close(fd);
      throw;
    }
  }
};

// The loop rows of the kinds of fake drive (the unit test runs the others in
// memory), exact to the byte.
TEST_F(CapacityProbeLoopTest, FindsTheRealSizeOfEveryKindOfFakeDrive) {
  int rows = 0;
  for (const test::DataRow& row : test::readDataRows(TESSARO_FIXTURES_DIR "/Probe/kinds.rows")) {
    const QStringList fields = test::textsOf(row.fields);
    if (fields[0] != "loop") continue;
    ++rows;
    SCOPED_TRACE((row.where + ": " + fields.join(" | ")).toStdString());
    const QStringList words = test::driveWordsOf(fields[1]);
    const qint64 claimed = words[1].toLongLong();
    test::CounterfeitDrive drive(words[0], claimed, words[2].toLongLong(), words.mid(3));
    ASSERT_FALSE(drive.device().isEmpty()) << drive.failure().toStdString();
    const ProbeResult result = probe(drive.device());
    EXPECT_EQ(result.genuine(), fields[2] == "genuine");
    EXPECT_EQ(result.claimedBytes, quint64(claimed));
    EXPECT_EQ(result.usableBytes,
              result.genuine() ? quint64(claimed) : test::bytesOf(fields[3]) / 4096 * 4096);
    // A cache is found where what it hides shows once it is full.
    if (const qsizetype cache = words.indexOf("--cache"); cache > 0 && words[0] == "drop") {
      const double bytes = words[cache + 1].toDouble();
      EXPECT_NEAR(double(result.cacheBytes), bytes, 0.1 * bytes);
    }
  }
  EXPECT_GT(rows, 3);
}

TEST_F(CapacityProbeLoopTest, RefusesWhatIsNotABlockDevice) {
  QTemporaryFile file;
  ASSERT_TRUE(file.open());
  try {
    LinuxProbeDevice target(file.handle(), file.fileName().toStdString());
    FAIL() << "a regular file taken for a drive";
  } catch (const ProbeError& error) {
    EXPECT_TRUE(std::string(error.what()).ends_with(" is not a block device."));
  }
}

}  // namespace
