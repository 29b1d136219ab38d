// The folder texts of this system's paths: one source per system, as the
// paths code itself.
#include <gtest/gtest.h>

#include "platform/paths.h"

using namespace minatori;

TEST(Paths, FolderTextsOnThisPlatform) {
  EXPECT_EQ(paths::withTrailingSeparator(QStringLiteral("/x/DATA")), QStringLiteral("/x/DATA/"));
  EXPECT_EQ(paths::withTrailingSeparator(QStringLiteral("/x/DATA/")), QStringLiteral("/x/DATA/"));
  EXPECT_EQ(paths::lastComponent(QStringLiteral("/x/PROGS/DRILL1")), QStringLiteral("DRILL1"));
  EXPECT_EQ(paths::lastComponent(QStringLiteral("/x/PROGS/DRILL1/")), QStringLiteral("DRILL1"));
  EXPECT_EQ(paths::driveRoot(QStringLiteral("/x/PROGS")), QStringLiteral("/"));
  EXPECT_EQ(paths::parentStep(), QStringLiteral("../"));
  EXPECT_EQ(paths::fromWindowsRelative(QStringLiteral("A\\B\\")), QStringLiteral("A/B/"));
}
