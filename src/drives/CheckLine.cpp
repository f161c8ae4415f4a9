#include "drives/CheckLine.h"

namespace tessaro {

QString macCheckLine(const QString& targetBsdName, const QString& diskutilPath) {
  const QString target = devicePathOf(targetBsdName);
  return diskutilPath + QStringLiteral(" unmount ") + target + QStringLiteral(" &&\n") +
         QStringLiteral("/sbin/fsck_msdos -fy ") + rawDevicePathOf(target) +
         QStringLiteral(" &&\n") + diskutilPath + QStringLiteral(" mount ") + target;
}

QString linuxCheckLine(const QString& targetDevicePath) {
  const QString& t = targetDevicePath;
  return QStringLiteral(
             "if findmnt --source %1 >/dev/null; then umount --all-targets %1; fi &&\n"
             "{ fsck.fat -a -w -v %1; status=$?;\n"
             "if [ $status -eq 1 ] && ! fsck.fat -n %1 >/dev/null 2>&1; "
             "then status=4; fi; exit $status; }")
      .arg(t);
}

bool checkLeftFileSystemConsistent(std::optional<int> exitStatus) {
  return !exitStatus || *exitStatus == 0 || *exitStatus == 1;
}

}  // namespace tessaro
