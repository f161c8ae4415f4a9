// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/mac/MacDiskTools.h"
#include "drives/mac/PropertyList.h"

using tessaro::Drive;
using tessaro::MacDiskTools;
using tessaro::writeXmlPropertyList;

namespace {

std::optional<Drive> driveFrom(const QVariantMap& info) {
  return MacDiskTools().parseDriveInfo(writeXmlPropertyList(info), "disk4");
}

}  // namespace

TEST(MacDiscovery, ExternalOrRemovableRule) {
  const std::pair<QVariantMap, bool> cases[] = {
      {{{"BusProtocol", "USB"}, {"Internal", true}}, true},  // a listed bus wins over Internal
      {{{"BusProtocol", "Thunderbolt"}}, true},
      {{{"BusProtocol", "FireWire"}}, true},
      {{{"BusProtocol", "SATA"}, {"Internal", false}}, false},
      {{{"BusProtocol", "SATA"}, {"Removable", true}, {"Internal", true}}, true},
      {{{"BusProtocol", "SATA"}, {"Ejectable", true}, {"Internal", true}}, true},
      {{}, true},
      {{{"Internal", true}}, false},
      {{{"BusProtocol", "USB3"}, {"Internal", true}}, false},  // equality, not a prefix
      {{{"Ejectable", "Yes"}, {"Internal", true}}, false},     // other types count as absent
      {{{"BusProtocol", 7}, {"Internal", "Yes"}}, true},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(driveFrom(cases[i].first).has_value(), cases[i].second) << "case " << i;
}

TEST(MacDiscovery, DescriptionFromSizeAndModelOrElseMediaName) {
  const std::pair<QVariantMap, const char*> cases[] = {
      {{{"DeviceModel", "Ultra"}, {"MediaName", "Media"}, {"TotalSize", qint64(32'000'000'000)}},
       "32 GB Ultra (disk4)"},
      {{{"MediaName", "SD32G"}, {"TotalSize", qint64(1'500'000'000)}}, "1.5 GB SD32G (disk4)"},
      {{{"DeviceModel", ""}, {"MediaName", "Media"}}, "0 B (disk4)"},
  };
  for (const auto& [info, description] : cases)
    EXPECT_EQ(driveFrom(info).value().description, description);
  EXPECT_EQ(driveFrom({{"DeviceModel", ""}, {"MediaName", "Media"}}).value().model, "");
}
