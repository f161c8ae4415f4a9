// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryFile>
#include <cstdio>

#include "CounterfeitDrive.h"
#include "drives/CapacityProbe.h"
#include "drives/linux/LinuxProbeDevice.h"
#include "exec/Error.h"
#include "Capability.h"

using namespace tessaro;

namespace {

constexpr qint64 kMiB = qint64(1) << 20;
constexpr qint64 kGiB = qint64(1) << 30;

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
      LinuxProbeDevice target(fd, device);
      ProbeResult result = CapacityProbe(target).run();
      ::close(fd);
      std::printf("%s: %s\n", qPrintable(device), qPrintable(result.verdict()));
      for (const QString& line : result.details()) std::printf("  %s\n", qPrintable(line));
      return result;
    } catch (...) {
      ::close(fd);
      throw;
    }
  }
};

TEST_F(CapacityProbeLoopTest, FindsTheRealSizeOfCounterfeitDrives) {
  struct Case {
    const char* mode;
    qint64 claimed;
    qint64 real;
  };
  for (const Case c : {Case{"wrap", 16 * kGiB, kGiB}, Case{"wrap", 4 * kGiB, 700 * kMiB + 12288},
                       Case{"drop", 4 * kGiB, 1536 * kMiB}}) {
    SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.real));
    test::CounterfeitDrive drive(c.mode, c.claimed, c.real);
    ASSERT_FALSE(drive.device().isEmpty()) << drive.failure().toStdString();
    const ProbeResult result = probe(drive.device());
    EXPECT_FALSE(result.genuine());
    EXPECT_EQ(result.claimedBytes, quint64(c.claimed));
    EXPECT_NEAR(double(result.usableBytes), double(c.real), 0.01 * double(c.real));
    EXPECT_LE(result.usableBytes, quint64(c.real));
    EXPECT_TRUE(result.verdict().startsWith("Counterfeit: only the first "));
  }
}

TEST_F(CapacityProbeLoopTest, AGenuineSparseImageOfTheSameClaimedSizeIsGenuine) {
  test::LoopImage image(16 * kGiB);
  ASSERT_FALSE(image.device().isEmpty());
  const ProbeResult result = probe(image.device());
  EXPECT_TRUE(result.genuine());
  EXPECT_EQ(result.usableBytes, quint64(16 * kGiB));
  EXPECT_EQ(result.verdict(),
            QStringLiteral("Genuine: all %1 samples read back").arg(result.samples));
}

TEST_F(CapacityProbeLoopTest, RefusesWhatIsNotABlockDevice) {
  QTemporaryFile file;
  ASSERT_TRUE(file.open());
  try {
    LinuxProbeDevice target(file.handle(), file.fileName());
    FAIL() << "a regular file taken for a drive";
  } catch (const Error& error) {
    EXPECT_TRUE(error.description().endsWith(" is not a block device."));
  }
}

}  // namespace
