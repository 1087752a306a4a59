#include "catalogue/install_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "install/installed_time.h"

namespace {

TEST(InstalledTime, YearInFullTheRestTwoDigits) {
  char out[64];
  EXPECT_EQ(FormatInstalledTime(out, sizeof out, 2019, 1, 10, 8, 5, 3), 20u);
  EXPECT_STREQ(out, "2019.01.10. 08:05:03");
  FormatInstalledTime(out, sizeof out, 2024, 12, 31, 23, 59, 59);
  EXPECT_STREQ(out, "2024.12.31. 23:59:59");
  FormatInstalledTime(out, sizeof out, 987, 2, 3, 0, 0, 0);
  EXPECT_STREQ(out, "987.02.03. 00:00:00");
}

TEST(InstallPaths, RootFolderAndExecutable) {
  char out[256];
  ASSERT_TRUE(FormatInstallRoot(out, sizeof out, 3, "V92EDemo"));
  EXPECT_STREQ(out, "C:\\V92EDemo");
  ASSERT_TRUE(FormatSystemFolder(out, sizeof out, 3, "V92EDemo"));
  EXPECT_STREQ(out, "C:\\V92EDemo\\ZeltaWin32");
  ASSERT_TRUE(FormatInstalledExecutable(out, sizeof out, 4, "V92EDemo"));
  EXPECT_STREQ(out, "D:\\V92EDemo\\ZeltaWin32\\ZeltaWin32.exe");
  ASSERT_TRUE(FormatInstallRoot(out, sizeof out, 26, ""));
  EXPECT_STREQ(out, "Z:\\");
}

TEST(InstallPaths, APathThatDoesNotFitIsRefusedNotCut) {
  char out[256];
  std::string root(252, 'r');  // "C:\" + 252 = 255 characters: fits
  ASSERT_TRUE(FormatInstallRoot(out, sizeof out, 3, root.c_str()));
  EXPECT_EQ(std::string(out), "C:\\" + root);
  root += 'r';
  EXPECT_FALSE(FormatInstallRoot(out, sizeof out, 3, root.c_str()));
  EXPECT_STREQ(out, "");
  std::string folderRoot(241, 'f');  // 3 + 241 + 11 = 255
  EXPECT_TRUE(FormatSystemFolder(out, sizeof out, 3, folderRoot.c_str()));
  EXPECT_FALSE(FormatInstalledExecutable(out, sizeof out, 3, folderRoot.c_str()));
  EXPECT_STREQ(out, "");
}

TEST(InstallPaths, JoinWholeSkipsNullPartsAndChecksEverySize) {
  char out[8];
  memset(out, 'x', sizeof out);
  ASSERT_TRUE(JoinWhole(out, sizeof out, "ab", nullptr, "cd", "efg"));
  EXPECT_STREQ(out, "abcdefg");
  EXPECT_FALSE(JoinWhole(out, sizeof out, "abcd", "efgh"));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(JoinWhole(out, 0, "a", "b"));
  EXPECT_TRUE(JoinWhole(out, 1, "", ""));
  EXPECT_STREQ(out, "");
}

}  // namespace
