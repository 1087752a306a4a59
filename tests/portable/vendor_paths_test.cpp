#include "web/vendor_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "catalogue/install_paths.h"
#include "catalogue/install_state.h"
#include "common/path_names.h"
#include "common/bounded_text.h"

namespace {

class VendorPathsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetInstallState(); }
};

TEST_F(VendorPathsTest, UrlsBySecureMode) {
  char url[256];
  InstallState.SecureMode = 1;
  BuildProbeUrl(url, sizeof url);
  EXPECT_EQ(std::string(url), std::string("https://") + WebHost() + "/Download/UpDate-V9.20/Update.ini");
  BuildRemoteUrl(url, sizeof url, "Disc_02", "Systems\\bin\\zelta.exe");
  EXPECT_EQ(std::string(url), std::string("https://") + WebHost() +
                                  "/Download/UpDate-V9.20/VarnelDemo/Disc_02/Systems\\bin\\zelta.exe");
  InstallState.SecureMode = 0;
  BuildRemoteUrl(url, sizeof url, "Disc_01", nullptr);
  EXPECT_EQ(std::string(url), std::string("http://") + DownloadHost() + "/UpDate-V9.20/VarnelDemo/Disc_01");
  BuildRemoteUrl(url, sizeof url, nullptr, nullptr);
  EXPECT_EQ(std::string(url), std::string("http://") + DownloadHost() + "/UpDate-V9.20/VarnelDemo");
}

TEST_F(VendorPathsTest, UrlsAreCutAt255Characters) {
  char url[256];
  InstallState.SecureMode = 1;
  std::string name(400, 'n');
  EXPECT_EQ(BuildRemoteUrl(url, sizeof url, "Disc_01", name.c_str()), 255u);
  EXPECT_EQ(std::string(url).size(), 255u);
}

TEST_F(VendorPathsTest, LocalPathsBelowTheDownloadArea) {
  TextCopy(InstallState.BasePath, "D:\\V92EDemo\\ZeltaWin32\\");
  char path[256];
  BuildLocalPath(path, sizeof path, "Disc_01", "setup.ex_");
  EXPECT_STREQ(path, "D:\\V92EDemo\\ZeltaWin32\\Install\\Disc_01\\setup.ex_");
  BuildLocalPath(path, sizeof path, "Disc_03", nullptr);
  EXPECT_STREQ(path, "D:\\V92EDemo\\ZeltaWin32\\Install\\Disc_03");
  BuildLocalPath(path, sizeof path, nullptr, nullptr);
  EXPECT_STREQ(path, "D:\\V92EDemo\\ZeltaWin32\\Install\\");
}

// A name that makes the path one character too long is refused whole, not
// cut to another file's name.
TEST_F(VendorPathsTest, WholeLocalPathsAreRefusedRatherThanCut) {
  TextCopy(InstallState.BasePath, "D:\\V92EDemo\\ZeltaWin32\\");
  const std::string area = "D:\\V92EDemo\\ZeltaWin32\\Install\\Disc_01\\";  // 39 characters
  struct Case {
    size_t nameLength;
    bool whole;
  } cases[] = {{1, true}, {216, true}, {217, false}, {255, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nameLength);
    const std::string name = std::string(c.nameLength, 'n');
    char path[256] = "stale";
    EXPECT_EQ(BuildWholeLocalPath(path, sizeof path, "Disc_01", name.c_str()), c.whole);
    EXPECT_EQ(std::string(path), c.whole ? area + name : "");
  }
  char path[256];
  EXPECT_TRUE(BuildWholeLocalPath(path, sizeof path, "Disc_15", nullptr));
  EXPECT_STREQ(path, "D:\\V92EDemo\\ZeltaWin32\\Install\\Disc_15");
  EXPECT_TRUE(BuildWholeLocalPath(path, sizeof path, nullptr, nullptr));
  EXPECT_STREQ(path, "D:\\V92EDemo\\ZeltaWin32\\Install\\");
}

// The longest path built on the root from fixed names is the file list of
// disc 15: "X:\" + root + "\ZeltaWin32\Install\Disc_15\Fajls_15.ini", 43
// characters besides the root, so a root of 212 is the longest taken.
TEST_F(VendorPathsTest, RootDirectoryFitsOnlyWhenItsLongestFixedPathDoes) {
  struct Case {
    std::string root;
    bool fits;
  } cases[] = {
      {"V92EDemo", true},
      {std::string(212, 'R'), true},
      {std::string(100, 'R') + "\\" + std::string(111, 'R'), true},
      {std::string(213, 'R'), false},
      {std::string(241, 'R'), false},  // leaves the BasePath itself whole
      {std::string(255, 'R'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root.size());
    EXPECT_EQ(RootDirectoryFits(3, c.root.c_str()), c.fits);
  }
}

TEST_F(VendorPathsTest, DisplayTextHidesHostAndFolder) {
  char text[256];
  InstallState.SecureMode = 1;
  BuildDisplayText(text, sizeof text, "Disc_01", "a\\b.txt");
  EXPECT_STREQ(text, "https://... .../VarnelDemo/Disc_01/a\\b.txt");
  InstallState.SecureMode = 0;
  BuildDisplayText(text, sizeof text, "Disc_12", "Install.ini");
  EXPECT_STREQ(text, "http://... .../VarnelDemo/Disc_12/Install.ini");
}

TEST_F(VendorPathsTest, SourceNameFromFileListEntries) {
  char name[256];
  SourceNameFromEntry(name, sizeof name, "  \\a.ex_,*?\\target");
  EXPECT_STREQ(name, "a.ex_");
  SourceNameFromEntry(name, sizeof name, "\\Systems\\bin\\zelta.exe \\ZeltaWin32\\Bin\\zelta.exe");
  EXPECT_STREQ(name, "Systems\\bin\\zelta.exe");
  SourceNameFromEntry(name, sizeof name, "plain.txt");
  EXPECT_STREQ(name, "plain.txt");
  SourceNameFromEntry(name, sizeof name, "\\\\server\\share x");  // only one backslash is dropped
  EXPECT_STREQ(name, "\\server\\share");
  SourceNameFromEntry(name, 4, "\\abcdef x");
  EXPECT_STREQ(name, "abc");
}

TEST_F(VendorPathsTest, UnsafeSourceNamesAreRefused) {
  EXPECT_TRUE(IsSafeSourceName("a.txt"));
  EXPECT_TRUE(IsSafeSourceName("Systems\\bin\\zelta.exe"));
  EXPECT_TRUE(IsSafeSourceName("a..b\\c...\\.d"));
  EXPECT_FALSE(IsSafeSourceName(""));
  EXPECT_FALSE(IsSafeSourceName("..\\..\\windows\\x.dll"));
  EXPECT_FALSE(IsSafeSourceName("a\\..\\..\\b"));
  EXPECT_FALSE(IsSafeSourceName("a/../b"));
  EXPECT_FALSE(IsSafeSourceName("a\\.."));
  EXPECT_FALSE(IsSafeSourceName("\\server\\share\\x"));
  EXPECT_FALSE(IsSafeSourceName("/etc/passwd"));
  EXPECT_FALSE(IsSafeSourceName("C:\\windows\\x"));
  EXPECT_FALSE(IsSafeSourceName("a:b"));  // alternate data stream
}

}  // namespace
