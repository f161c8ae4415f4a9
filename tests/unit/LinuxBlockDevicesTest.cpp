#include <gtest/gtest.h>

#include <QJsonDocument>

#include "FakeSysfs.h"
#include "drives/LinuxBlockDevices.h"
#include "exec/Error.h"

using namespace tessaro;
using tessaro::test::FakeSysfs;

namespace {

QJsonObject device(const char* json) { return QJsonDocument::fromJson(json).object(); }

}  // namespace

TEST(LinuxBlockDevices, RunningSystemIsRecognisedAnywhereInTheTree) {
  // This machine's own disk: no partitions, the disk itself mounted at /.
  EXPECT_TRUE(holdsRunningSystem(device(R"({"name":"vda","type":"disk","mountpoints":["/"]})")));
  EXPECT_TRUE(holdsRunningSystem(device(R"({"name":"nvme0n1","type":"disk","mountpoints":[null],
    "children":[{"name":"nvme0n1p1","mountpoints":["/boot/efi"]},
                {"name":"nvme0n1p2","mountpoints":[null]}]})")));
  EXPECT_TRUE(holdsRunningSystem(device(R"({"name":"sda","type":"disk",
    "children":[{"name":"sda2","fstype":"swap","mountpoints":["[SWAP]"]}]})")));
  EXPECT_TRUE(holdsRunningSystem(device(R"({"name":"sda","type":"disk",
    "children":[{"name":"sda3","fstype":"crypto_LUKS","mountpoints":[null],
      "children":[{"name":"luks-1","type":"crypt","fstype":"LVM2_member"}]}]})")));
  EXPECT_TRUE(holdsRunningSystem(device(R"({"name":"sdc","type":"disk",
    "children":[{"name":"sdc1","fstype":"linux_raid_member","children":[{"name":"md0","type":"raid1"}]}]})")));
  EXPECT_TRUE(holdsRunningSystem(device(R"({"name":"sdd","type":"disk",
    "children":[{"name":"sdd1","mountpoints":["/mediafiles"]}]})")));

  // Mounted by the desktop for the user: not the system.
  EXPECT_FALSE(holdsRunningSystem(device(R"({"name":"sdb","type":"disk","mountpoints":[null],
    "children":[{"name":"sdb1","fstype":"vfat","mountpoints":["/media/ann/STICK"]},
                {"name":"sdb2","fstype":"exfat","mountpoints":["/run/media/ann/DATA"]}]})")));
  EXPECT_FALSE(holdsRunningSystem(device(R"({"name":"sdb","type":"disk","mountpoint":null})")));
}

TEST(LinuxBlockDevices, VirtualDeviceNames) {
  for (const char* name : {"loop0", "loop12", "zram0", "ram15", "md127", "dm-3", "nbd0",
                           "mmcblk0boot0", "mmcblk0boot1", "mmcblk1rpmb", "md_home"})
    EXPECT_TRUE(isVirtualDeviceName(name)) << name;
  for (const char* name : {"sda", "sdb", "mmcblk0", "nvme0n1", "vda", "sr0", "mdx"})
    EXPECT_FALSE(isVirtualDeviceName(name)) << name;
}

TEST(LinuxBlockDevices, BusFromTransportSubsystemsAndSysfs) {
  FakeSysfs sysfs;
  sysfs.addDisk("mmcblk0", "pci0000:00/0000:00:1e.6/mmc_host/mmc0/mmc0:aaaa/block/mmcblk0");
  sysfs.write("block/mmcblk0/device/type", "SD\n");
  sysfs.write("block/mmcblk0/device/name", "SD32G\n");
  sysfs.addDisk("mmcblk1", "pci0000:00/0000:00:1e.7/mmc_host/mmc1/mmc1:0001/block/mmcblk1");
  sysfs.write("block/mmcblk1/device/type", "MMC\n");
  sysfs.addDisk(
      "nvme1n1",
      "pci0000:00/0000:00:07.0/0000:05:00.0/0000:06:01.0/0000:07:00.0/nvme/nvme1/nvme1n1");
  sysfs.write("devices/pci0000:00/0000:00:07.0/removable", "fixed\n");
  sysfs.write("devices/pci0000:00/0000:00:07.0/0000:05:00.0/removable", "removable\n");
  sysfs.addDisk("nvme0n1", "pci0000:00/0000:00:06.0/0000:01:00.0/nvme/nvme0/nvme0n1");
  sysfs.write("devices/pci0000:00/0000:00:06.0/0000:01:00.0/removable", "fixed\n");
  const QString root = sysfs.root();

  EXPECT_EQ(linuxBus(device(R"({"name":"sdb","tran":"usb"})"), root), "usb");
  EXPECT_EQ(
      linuxBus(device(R"({"name":"sdc","tran":null,"subsystems":"block:scsi:usb:pci"})"), root),
      "usb");
  EXPECT_EQ(linuxBus(device(R"({"name":"sdd","tran":"sbp"})"), root), "firewire");
  EXPECT_EQ(
      linuxBus(device(R"({"name":"mmcblk0","tran":null,"subsystems":"block:mmc:mmc_host:pci"})"),
               root),
      "sd");
  EXPECT_EQ(linuxBus(device(R"({"name":"mmcblk1","tran":null})"), root), "");
  EXPECT_EQ(linuxBus(device(R"({"name":"nvme1n1","tran":"nvme"})"), root), "thunderbolt");
  EXPECT_EQ(linuxBus(device(R"({"name":"nvme0n1","tran":"nvme"})"), root), "nvme");
  EXPECT_EQ(linuxBus(device(R"({"name":"sda","tran":"SATA"})"), root), "sata");

  const DiskPlacement sd = linuxPlacement(device(R"({"name":"mmcblk0","rm":false})"), root);
  EXPECT_TRUE(sd.removable);
  EXPECT_TRUE(sd.ejectable);
  EXPECT_FALSE(sd.internal);
  const DiskPlacement emmc = linuxPlacement(device(R"({"name":"mmcblk1","rm":false})"), root);
  EXPECT_FALSE(emmc.removable || emmc.ejectable);
  EXPECT_TRUE(emmc.internal);
  EXPECT_FALSE(isExternalOrRemovable(emmc));
  EXPECT_EQ(linuxModel(device(R"({"name":"mmcblk0","model":null})"), root), "SD32G");
}

TEST(LinuxBlockDevices, ModelJoinsVendorWithoutPadding) {
  EXPECT_EQ(linuxModel(device(R"({"name":"sdb","vendor":"SanDisk ","model":"Ultra           "})"),
                       "/nonexistent"),
            "SanDisk Ultra");
  EXPECT_EQ(linuxModel(device(R"({"name":"sda","vendor":"ATA     ","model":"WDC WD10EZEX-08W"})"),
                       "/nonexistent"),
            "WDC WD10EZEX-08W");
  EXPECT_EQ(linuxModel(device(R"({"name":"vda","vendor":"0x1af4","model":null})"), "/nonexistent"),
            "");
  EXPECT_EQ(linuxModel(device(R"({"name":"sdc","vendor":"Samsung ","model":"Samsung PSSD T7"})"),
                       "/nonexistent"),
            "Samsung PSSD T7");
  EXPECT_EQ(linuxModel(device(R"({"name":"nvme0n1","vendor":null,"model":"WD PC SN740"})"),
                       "/nonexistent"),
            "WD PC SN740");
}

TEST(LinuxBlockDevices, UnreadableOutputRaises) {
  EXPECT_THROW(parseLsblkDevices("lsblk: /dev/sdz: not a block device"), Error);
  EXPECT_THROW(parseLsblkDevices(R"({"devices":[]})"), Error);
  EXPECT_EQ(parseLsblkDevices(R"({"blockdevices":[{"name":"sdb"}]})").size(), 1);
}
