// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/DriveSelection.h"

using namespace tessaro;

// Which drive stays selected, as a table over kernel name, model and size.
TEST(DriveSelection, FollowsTheSameDriveOnly) {
  const auto drive = [](QString name, QString model, qint64 size) {
    return Drive{QUuid::createUuid(), name, "/dev/" + name, name + " " + model, model, false, size};
  };
  const Drive sdb = drive("sdb", "Cruzer", 8), sdc = drive("sdc", "Ultra", 16);
  struct Row {
    const char* what;
    std::optional<Drive> previous;
    QList<Drive> drives;
    QSet<QString> removed;
    std::optional<QString> selected;  // bsdName
    bool reportsRemoval;
  } rows[] = {
      {"nothing chosen, nothing there", {}, {}, {}, {}, false},
      {"nothing chosen: the first", {}, {sdc, sdb}, {}, "sdc", false},
      {"same drive, new record", sdb, {sdc, drive("sdb", "Cruzer", 8)}, {}, "sdb", false},
      {"gone", sdb, {sdc}, {}, {}, true},
      {"name reused by another model", sdb, {drive("sdb", "Ultra", 8)}, {}, {}, true},
      {"name reused, other size", sdb, {drive("sdb", "Cruzer", 32)}, {}, {}, true},
      {"removed and back between lists", sdb, {drive("sdb", "Cruzer", 8)}, {"sdb"}, {}, true},
      {"a partition removed", sdb, {drive("sdb", "Cruzer", 8)}, {"sdb1"}, "sdb", false},
      {"list empty", sdb, {}, {}, {}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const DriveSelection next = DriveSelection::follow(row.previous, row.drives, row.removed);
    EXPECT_EQ(next.selected ? std::optional(next.selected->bsdName) : std::nullopt, row.selected);
    if (next.selected) EXPECT_TRUE(row.drives.contains(*next.selected)) << "a record of the list";
    EXPECT_EQ(next.removed.has_value(), row.reportsRemoval);
    if (next.removed) EXPECT_EQ(next.removed, row.previous);
  }
}
