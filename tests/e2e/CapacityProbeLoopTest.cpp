// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryFile>
#include <cstdio>

#include "Capability.h"
#include "CounterfeitDrive.h"
#include "LoopImage.h"
#include "exec/Error.h"
#include "helper/probe/CapacityProbe.h"
#include "helper/probe/LinuxProbeDevice.h"
#include "helper/probe/ProbeError.h"

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

// Every kind of the fake drive, exact to the byte: wraps at a power of two
// and elsewhere, drops, reads that fail past the real size, chains, lying
// caches over wraps and drops, a slow drive, a genuine one.
TEST_F(CapacityProbeLoopTest, FindsTheRealSizeOfEveryKindOfFakeDrive) {
  struct Case {
    const char* kind;
    qint64 claimed;
    qint64 real;
    qint64 cache = 0;
    QStringList options = {};
  };
  const Case cases[] = {
      {"wrap", 16 * kGiB, kGiB},
      {"wrap", 4 * kGiB, 700 * kMiB + 12288},
      {"wrap", 4 * kGiB, 300 * kMiB + 4096},
      {"wrap", 16 * kGiB, 15 * kGiB / 2},
      {"drop", 4 * kGiB, 1536 * kMiB},
      {"failreads", 4 * kGiB, 1000 * kMiB},
      {"chain", 16 * kGiB, 5 * kGiB},
      {"wrap", 16 * kGiB, kGiB, 32 * kMiB},
      {"drop", 4 * kGiB, 1536 * kMiB, 32 * kMiB},
      {"wrap", 16 * kGiB, 15 * kGiB / 2, 128 * kMiB},
      {"drop", 4 * kGiB, 1536 * kMiB, 128 * kMiB},
      {"wrap", 16 * kGiB, 2 * kGiB, 512 * kMiB},
      {"drop", 8 * kGiB, 3 * kGiB, 512 * kMiB},
      {"drop", 2 * kGiB, 768 * kMiB, 0, {"--delay-us", "300"}},
      {"genuine", 2 * kGiB, 2 * kGiB, 0, {"--delay-us", "300"}},
  };
  for (const Case& c : cases) {
    QStringList options = c.options;
    if (c.cache) options << "--cache" << QString::number(c.cache);
    SCOPED_TRACE(std::string(c.kind) + " " + std::to_string(c.real) + " " +
                 options.join(' ').toStdString());
    test::CounterfeitDrive drive(c.kind, c.claimed, c.real, options);
    ASSERT_FALSE(drive.device().isEmpty()) << drive.failure().toStdString();
    const ProbeResult result = probe(drive.device());
    EXPECT_EQ(result.genuine(), c.real == c.claimed);
    EXPECT_EQ(result.claimedBytes, quint64(c.claimed));
    EXPECT_EQ(result.usableBytes, quint64(c.real) / 4096 * 4096);
    // A cache is found where what it hides shows once it is full.
    if (c.cache && QLatin1String(c.kind) == "drop") {
      EXPECT_NEAR(double(result.cacheBytes), double(c.cache), 0.1 * double(c.cache));
    }
  }
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
