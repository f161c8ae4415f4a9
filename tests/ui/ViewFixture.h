#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <memory>

#include "drives/DiskManager.h"
#include "drives/LinuxDiskTools.h"
#include "ui/BusyIndicator.h"
#include "ui/ContentView.h"
#include "ui/LogView.h"
#include "ui/StyledButton.h"

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace tessaro::test {

// A window whose drive discovery runs the given lsblk stand-in over a sysfs
// tree of fixtures; without a script, discovery fails as if lsblk were missing.
inline std::unique_ptr<ContentView> makeView(const QString& lsblkScript = {},
                                             const QString& sysfsRoot = {}) {
  const QString fixtures = QStringLiteral(TESSARO_FIXTURES_DIR);
  auto tools = std::make_unique<LinuxDiskTools>(
      lsblkScript.isEmpty() ? fixtures + "/ui/no-such-lsblk" : lsblkScript,
      sysfsRoot.isEmpty() ? fixtures + "/ui/no-such-sysfs" : sysfsRoot);
  return std::make_unique<ContentView>(std::make_unique<DiskManager>(std::move(tools)));
}

// The controls, found by their object names.
struct Controls {
  explicit Controls(ContentView& view)
      : refresh(find<StyledButton>(view, "refreshButton")),
        format(find<StyledButton>(view, "formatButton")),
        info(find<StyledButton>(view, "infoButton")),
        check(find<StyledButton>(view, "checkButton")),
        picker(find<QComboBox>(view, "drivePicker")),
        volume(find<QLineEdit>(view, "volumeField")),
        cluster(find<QComboBox>(view, "clusterMenu")),
        log(find<LogView>(view, "statusText")),
        busy(find<BusyIndicator>(view, "busyIndicator")) {}

  template <typename T>
  static T* find(ContentView& view, const char* name) {
    T* found = view.findChild<T*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no control named ") + name);
    return found;
  }

  StyledButton* refresh;
  StyledButton* format;
  StyledButton* info;
  StyledButton* check;
  QComboBox* picker;
  QLineEdit* volume;
  QComboBox* cluster;
  LogView* log;
  BusyIndicator* busy;
};

inline Drive makeDrive(const QString& bsdName, const QString& description) {
  return Drive{QUuid::createUuid(), bsdName, "/dev/" + bsdName, description, "Stick", false,
               32'000'000'000};
}

}  // namespace tessaro::test
