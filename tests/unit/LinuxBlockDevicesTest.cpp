#include <gtest/gtest.h>

#include <QJsonDocument>

#include "FakeSysfs.h"
#include "drives/LinuxBlockDevices.h"
#include "exec/Error.h"

using namespace tessaro;

namespace {

QJsonObject device(const char* json) { return QJsonDocument::fromJson(json).object(); }

}  // namespace

TEST(LinuxBlockDevices, RunningSystemIsRecognisedAnywhereInTheTree) {
  const struct {
    const char* disk;
    bool system;
  } cases[] = {
      {R"({"name":"vda","mountpoints":["/"]})", true},
      {R"({"children":[{"mountpoints":["/boot/efi"]},{"mountpoints":[null]}]})", true},
      {R"({"children":[{"fstype":"swap","mountpoints":["[SWAP]"]}]})", true},
      {R"({"children":[{"fstype":"LVM2_member"}]})", true},
      {R"({"children":[{"children":[{"type":"crypt"}]}]})", true},
      {R"({"children":[{"fstype":"linux_raid_member"}]})", true},
      {R"({"children":[{"mountpoints":["/mediafiles"]}]})", true},
      {R"({"mountpoints":[null],"children":[{"fstype":"vfat","mountpoints":["/media/ann/STICK"]},
          {"fstype":"exfat","mountpoints":["/run/media/ann/DATA"]}]})",
       false},
      {R"({"name":"sdb","mountpoint":null})", false},
  };
  for (const auto& [disk, system] : cases) {
    SCOPED_TRACE(disk);
    EXPECT_EQ(holdsRunningSystem(device(disk)), system);
  }
}

TEST(LinuxBlockDevices, VirtualDeviceNames) {
  for (const char* name : {"loop0", "loop12", "zram0", "ram15", "md127", "dm-3", "nbd0",
                           "mmcblk0boot0", "mmcblk1rpmb", "md_home"})
    EXPECT_TRUE(isVirtualDeviceName(name)) << name;
  for (const char* name : {"sda", "mmcblk0", "nvme0n1", "vda", "sr0", "mdx"})
    EXPECT_FALSE(isVirtualDeviceName(name)) << name;
}

TEST(LinuxBlockDevices, BusAndPlacementFromTransportSubsystemsAndSysfs) {
  test::FakeSysfs sysfs;
  sysfs.addMmc("mmcblk0", "SD", "SD32G");
  sysfs.addMmc("mmcblk1", "MMC");
  // An NVMe disk behind a Thunderbolt port, whose PCI bridge is removable.
  sysfs.addDisk("nvme1n1", "pci0000:00/0000:00:07.0/0000:05:00.0/0000:06:01.0/nvme/nvme1/nvme1n1");
  sysfs.write("devices/pci0000:00/0000:00:07.0/removable", "fixed\n");
  sysfs.write("devices/pci0000:00/0000:00:07.0/0000:05:00.0/removable", "removable\n");
  sysfs.addDisk("nvme0n1", "pci0000:00/0000:00:06.0/0000:01:00.0/nvme/nvme0/nvme0n1");
  sysfs.write("devices/pci0000:00/0000:00:06.0/0000:01:00.0/removable", "fixed\n");

  const struct {
    const char* disk;
    const char* bus;
  } cases[] = {
      {R"({"name":"sdb","tran":"usb"})", "usb"},
      {R"({"name":"sdc","tran":null,"subsystems":"block:scsi:usb:pci"})", "usb"},
      {R"({"name":"sdd","tran":"sbp"})", "firewire"},
      {R"({"name":"mmcblk0","tran":null})", "sd"},
      {R"({"name":"mmcblk1","tran":null})", ""},
      {R"({"name":"nvme1n1","tran":"nvme"})", "thunderbolt"},
      {R"({"name":"nvme0n1","tran":"nvme"})", "nvme"},
      {R"({"name":"sda","tran":"SATA"})", "sata"},
  };
  for (const auto& [disk, bus] : cases)
    EXPECT_EQ(linuxBus(device(disk), sysfs.root()), bus) << disk;

  const DiskPlacement sd = linuxPlacement(device(R"({"name":"mmcblk0","rm":false})"), sysfs.root());
  EXPECT_TRUE(sd.removable && sd.ejectable && !sd.internal);
  const DiskPlacement emmc =
      linuxPlacement(device(R"({"name":"mmcblk1","rm":false})"), sysfs.root());
  EXPECT_TRUE(emmc.internal && !emmc.removable && !emmc.ejectable);
  EXPECT_EQ(linuxModel(device(R"({"name":"mmcblk0","model":null})"), sysfs.root()), "SD32G");
}

TEST(LinuxBlockDevices, ModelJoinsVendorWithoutPadding) {
  const struct {
    const char* disk;
    const char* model;
  } cases[] = {
      {R"({"name":"sdb","vendor":"SanDisk ","model":"Ultra           "})", "SanDisk Ultra"},
      {R"({"name":"sda","vendor":"ATA     ","model":"WDC WD10EZEX-08W"})", "WDC WD10EZEX-08W"},
      {R"({"name":"vda","vendor":"0x1af4","model":null})", ""},
      {R"({"name":"sdc","vendor":"Samsung ","model":"Samsung PSSD T7"})", "Samsung PSSD T7"},
      {R"({"name":"nvme0n1","vendor":null,"model":"WD PC SN740"})", "WD PC SN740"},
  };
  for (const auto& [disk, model] : cases)
    EXPECT_EQ(linuxModel(device(disk), "/nonexistent"), model) << disk;
}

TEST(LinuxBlockDevices, UnreadableOutputRaises) {
  EXPECT_THROW(parseLsblkDevices("lsblk: /dev/sdz: not a block device"), Error);
  EXPECT_THROW(parseLsblkDevices(R"({"devices":[]})"), Error);
  EXPECT_EQ(parseLsblkDevices(R"({"blockdevices":[{"name":"sdb"}]})").size(), 1);
}
