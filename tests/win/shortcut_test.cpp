#include "install/desktop_shortcut.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "tests/win/install_test_support.h"
#include "tests/win/test_site.h"

namespace {

std::string Desktop() {
  char path[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOP, nullptr, SHGFP_TYPE_CURRENT, path))) {
    return "";
  }
  return path;
}

class ShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    InstallState.TargetDrive = 3;
    TextCopy(InstallState.RootDirectory, "ZeltaLinkTeszt");
    desktop_ = Desktop();
    ASSERT_FALSE(desktop_.empty());
  }
  void TearDown() override {
    for (const std::string& link : links_) DeleteFileA(link.c_str());
    if (!catalogue_.empty()) DeleteFileA(catalogue_.c_str());
  }

  void Catalogue(const std::string& content) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    catalogue_ = WriteTestCatalogue(std::string("zelta_link_") + info->name() + ".ini", content);
  }

  // The link file the name would give; removed after the test.
  std::string Link(const std::string& name) {
    std::string path = desktop_ + "\\" + name + ".lnk";
    links_.push_back(path);
    DeleteFileA(path.c_str());
    return path;
  }

  std::string desktop_;
  std::string catalogue_;
  std::vector<std::string> links_;
};

TEST_F(ShortcutTest, LinkNamedAfterTheGroupPointsToTheInstalledSystem) {
  Catalogue("[Command]\r\nCommand1=[CreateGroup(Zelta Link Teszt)]\r\n"
            "Command2=[AddItem(#\\ZeltaWin32\\ZeltaWin32.exe,ZeltaCAD)]\r\n");
  const std::string link = Link("Zelta Link Teszt");
  CreateDesktopShortcut();
  ASSERT_TRUE(PathExists(link));
  LinkFields fields = ReadLink(link);
  ASSERT_TRUE(fields.loaded);
  EXPECT_EQ(fields.path, "C:\\ZeltaLinkTeszt\\ZeltaWin32\\ZeltaWin32.exe");
  EXPECT_EQ(fields.workingFolder, "C:\\ZeltaLinkTeszt\\ZeltaWin32");
  EXPECT_EQ(fields.description, "Zelta Link Teszt");
  EXPECT_EQ(fields.iconFile, "C:\\ZeltaLinkTeszt\\ZeltaWin32\\ZeltaWin32.exe");
  EXPECT_EQ(fields.iconIndex, 0);
}

TEST_F(ShortcutTest, FurtherParametersBelongToTheName) {
  Catalogue("[Command]\r\nCommand1=[CreateGroup(Zelta Teszt,1)]\r\n");
  const std::string link = Link("Zelta Teszt,1");
  CreateDesktopShortcut();
  ASSERT_TRUE(PathExists(link));
  EXPECT_EQ(ReadLink(link).description, "Zelta Teszt,1");
}

TEST_F(ShortcutTest, AccentedNamesSurviveTheWideConversion) {
  Catalogue("[Command]\r\nCommand1=[CreateGroup(Zelta \xF5r\xFClt tesztje)]\r\n");
  const std::string link = Link("Zelta \xF5r\xFClt tesztje");
  CreateDesktopShortcut();
  // ő and ű as UTF-16: the name was converted from code page 1250.
  std::wstring wide;
  for (char c : desktop_) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  wide += L"\\Zelta \x0151r\x00FClt tesztje.lnk";
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadLink(link).description, "Zelta \xF5r\xFClt tesztje");
}

TEST_F(ShortcutTest, TheFirstGroupCreationAnywhereInTheListCounts) {
  Catalogue(
      "[Command]\r\nCommand1=[ShowGroup(Egy)][CreateGroup(Nem ez)]\r\nCommand2=\r\n"
      "Command3=[CreateGroup(Zelta Harmadik)]\r\nCommand4=[CreateGroup(Zelta Negyedik)]\r\n");
  const std::string third = Link("Zelta Harmadik");
  const std::string fourth = Link("Zelta Negyedik");
  const std::string wrong = Link("Nem ez");
  CreateDesktopShortcut();
  EXPECT_TRUE(PathExists(third));
  EXPECT_FALSE(PathExists(fourth));
  EXPECT_FALSE(PathExists(wrong));
}

TEST_F(ShortcutTest, FindGroupNameResults) {
  char name[256];
  Catalogue("[Command]\r\nCommand1=[ShowGroup(x)]\r\nCommand2=[CreateGroup(Demo)]\r\n");
  EXPECT_EQ(FindGroupName(InstallState.CataloguePath, name, sizeof name), 0);
  EXPECT_STREQ(name, "Demo");
  // An empty name gives none, even with another group further down.
  Catalogue("[Command]\r\nCommand1=[CreateGroup()]\r\nCommand2=[CreateGroup(Demo)]\r\n");
  EXPECT_EQ(FindGroupName(InstallState.CataloguePath, name, sizeof name), 1);
  EXPECT_STREQ(name, "");
  Catalogue("[Command]\r\nCommand1=[CreateGroup(Demo\r\n");
  EXPECT_EQ(FindGroupName(InstallState.CataloguePath, name, sizeof name), 1);
  // The list ends at the first gap or "*".
  Catalogue("[Command]\r\nCommand1=[ShowGroup(x)]\r\nCommand3=[CreateGroup(Demo)]\r\n");
  EXPECT_EQ(FindGroupName(InstallState.CataloguePath, name, sizeof name), 1);
  Catalogue("[Command]\r\nCommand1=*\r\nCommand2=[CreateGroup(Demo)]\r\n");
  EXPECT_EQ(FindGroupName(InstallState.CataloguePath, name, sizeof name), 1);
  Catalogue("[System]\r\nRootDirectory=x\r\n");
  EXPECT_EQ(FindGroupName(InstallState.CataloguePath, name, sizeof name), 1);
  char small[5];
  Catalogue("[Command]\r\nCommand1=[CreateGroup(Demonstration)]\r\n");
  EXPECT_EQ(FindGroupName(InstallState.CataloguePath, small, sizeof small), 0);
  EXPECT_STREQ(small, "Demo");
}

TEST_F(ShortcutTest, NoGroupNoLink) {
  Catalogue("[Command]\r\nCommand1=[CreateGroup()]\r\n");
  const std::string link = Link("");
  CreateDesktopShortcut();
  EXPECT_FALSE(PathExists(link));
  Catalogue("[Command]\r\nCommand1=[ShowGroup(Zelta Nincs)]\r\n");
  const std::string shown = Link("Zelta Nincs");
  CreateDesktopShortcut();
  EXPECT_FALSE(PathExists(shown));
}

TEST_F(ShortcutTest, AGroupNameCannotLeadOutOfTheDesktop) {
  const std::string parent = desktop_.substr(0, desktop_.find_last_of('\\'));
  Catalogue("[Command]\r\nCommand1=[CreateGroup(..\\Zelta Kivul)]\r\n");
  const std::string outside = parent + "\\Zelta Kivul.lnk";
  links_.push_back(outside);
  CreateDesktopShortcut();
  EXPECT_FALSE(PathExists(outside));
}

TEST_F(ShortcutTest, WriteShellLinkSaysWhetherTheLinkWasSaved) {
  const std::string link = Link("Zelta Kozvetlen");
  EXPECT_EQ(WriteShellLink("C:\\Nincs\\Program.exe", "Le\xEDr\xE1s", "C:\\Nincs", link.c_str()), 1);
  LinkFields fields = ReadLink(link);
  ASSERT_TRUE(fields.loaded);
  EXPECT_EQ(fields.path, "C:\\Nincs\\Program.exe");
  EXPECT_EQ(fields.description, "Le\xEDr\xE1s");
  EXPECT_EQ(fields.workingFolder, "C:\\Nincs");
  EXPECT_EQ(WriteShellLink("C:\\Nincs\\Program.exe", "x", "C:\\Nincs",
                           (desktop_ + "\\Nincs ilyen mappa\\x.lnk").c_str()),
            0);
  // A path that does not fit 260 wide characters is not saved cut.
  const std::string tooLong = desktop_ + "\\" + std::string(250, 'h') + ".lnk";
  EXPECT_EQ(WriteShellLink("C:\\x.exe", "x", "C:\\", tooLong.c_str()), 0);
}

TEST_F(ShortcutTest, WriteShellLinkLeavesTheCallersApartmentAlone) {
  // A thread already in the multithreaded apartment stays there.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  const std::string link = Link("Zelta Apartman");
  EXPECT_EQ(WriteShellLink("C:\\x.exe", "x", "C:\\", link.c_str()), 1);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);  // still initialised
  CoUninitialize();
  CoUninitialize();
}

}  // namespace
