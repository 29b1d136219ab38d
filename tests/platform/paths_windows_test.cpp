// The folder texts of this system's paths: one source per system, as the
// paths code itself.
#include <gtest/gtest.h>

#include "platform/paths.h"

using namespace minatori;

TEST(Paths, FolderTextsOnThisPlatform) {
  EXPECT_EQ(paths::withTrailingSeparator(QStringLiteral("D:\\DATA")), QStringLiteral("D:\\DATA\\"));
  EXPECT_EQ(paths::withTrailingSeparator(QStringLiteral("D:\\DATA\\")), QStringLiteral("D:\\DATA\\"));
  EXPECT_EQ(paths::lastComponent(QStringLiteral("D:\\PROGS\\ドリル1")), QStringLiteral("ドリル1"));
  EXPECT_EQ(paths::lastComponent(QStringLiteral("\\\\server\\share\\DRILL1\\")), QStringLiteral("DRILL1"));
  EXPECT_EQ(paths::driveRoot(QStringLiteral("D:\\PROGS\\X")), QStringLiteral("D:\\"));
  // A share is the root of its paths as a drive is.
  EXPECT_EQ(paths::driveRoot(QStringLiteral("\\\\server\\share\\PROGS\\X")), QStringLiteral("\\\\server\\share\\"));
  EXPECT_EQ(paths::driveRoot(QStringLiteral("\\\\server\\share")), QStringLiteral("\\\\server\\share\\"));
  EXPECT_EQ(paths::parentStep(), QStringLiteral("..\\"));
  EXPECT_EQ(paths::fromWindowsRelative(QStringLiteral("A\\B\\")), QStringLiteral("A\\B\\"));
  EXPECT_TRUE(paths::programFolder().endsWith(QStringLiteral("\\") + paths::lastComponent(paths::programFolder())));
  EXPECT_FALSE(paths::programFolder().endsWith(u'\\'));
}
