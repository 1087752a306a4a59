#include "catalogue/read_catalogue.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"

namespace {

class ReadCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    path_ = std::string(dir) + "zelta_catalogue_test.ini";
    TextCopy(InstallState.CataloguePath, path_.c_str());
  }
  void TearDown() override { DeleteFileA(path_.c_str()); }

  void Write(const std::string& text) {
    FILE* f = fopen(path_.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
  }

  bool On(Component c, int disc) { return InstallState.ComponentOnDisc[c][disc - 1] != 0; }

  std::string path_;
};

TEST_F(ReadCatalogueTest, GapsBetweenDiscsAreSkippedNotEnding) {
  Write(
      "[System]\r\nRootDirectory=V92EDemo\r\n"
      "[Disc01]\r\nName=Els\xF5 lemez\r\nSetup=100\r\nSystems=200\r\n"
      "[Disc03]\r\nName=Harmadik\r\nHelp=5\r\n"
      "[Disc12]\r\nName=Tizenkettedik\r\nDatas=7\r\n");
  ReadCatalogue();
  EXPECT_STREQ(InstallState.DiscName[0], "Els\xF5 lemez");
  EXPECT_STREQ(InstallState.DiscName[1], "");
  EXPECT_STREQ(InstallState.DiscName[2], "Harmadik");
  EXPECT_STREQ(InstallState.DiscName[11], "Tizenkettedik");
  EXPECT_TRUE(On(ComponentSetup, 1));
  EXPECT_TRUE(On(ComponentSystems, 1));
  EXPECT_FALSE(On(ComponentHelp, 1));
  EXPECT_FALSE(On(ComponentHelp, 2));
  EXPECT_TRUE(On(ComponentHelp, 3));
  EXPECT_TRUE(On(ComponentDatas, 12));
  EXPECT_FALSE(On(ComponentDatas, 3));
}

TEST_F(ReadCatalogueTest, StarValuesCountAsAbsent) {
  Write(
      "[Disc01]\r\nName=One\r\nSetup=*\r\nSystems=*unknown\r\nDrawings=\r\nBlocks=0\r\n"
      "[Disc02]\r\nName=*\r\nSetup=10\r\nHelp=10\r\n");
  ReadCatalogue();
  EXPECT_FALSE(On(ComponentSetup, 1));
  EXPECT_FALSE(On(ComponentSystems, 1));
  EXPECT_TRUE(On(ComponentDrawings, 1));  // an empty value is still a value
  EXPECT_TRUE(On(ComponentBlocks, 1));
  // A Name of "*" makes the whole disc absent, whatever else its section holds.
  EXPECT_STREQ(InstallState.DiscName[1], "");
  EXPECT_FALSE(On(ComponentSetup, 2));
  EXPECT_FALSE(On(ComponentHelp, 2));
}

TEST_F(ReadCatalogueTest, FlagsAreOnlyEverSet) {
  // As the setup dialog leaves them: every component marked on disc 1.
  for (int c = 0; c < ComponentCount; ++c) InstallState.ComponentOnDisc[c][0] = 1;
  InstallState.ComponentOnDisc[ComponentHelp][4] = 1;
  TextCopy(InstallState.DiscName[4], "stale");
  Write("[Disc01]\r\nName=One\r\nSetup=1\r\n");
  ReadCatalogue();
  for (int c = 0; c < ComponentCount; ++c) EXPECT_TRUE(On(static_cast<Component>(c), 1)) << c;
  EXPECT_TRUE(On(ComponentHelp, 5));
  EXPECT_STREQ(InstallState.DiscName[4], "");  // names are cleared, flags are not
}

TEST_F(ReadCatalogueTest, MissingCatalogueLeavesEveryDiscAbsent) {
  TextCopy(InstallState.DiscName[0], "stale");
  InstallState.ComponentOnDisc[ComponentSetup][0] = 1;
  ReadCatalogue();  // nothing written at the path
  for (int d = 0; d < DiscCount; ++d) EXPECT_STREQ(InstallState.DiscName[d], "");
  EXPECT_TRUE(On(ComponentSetup, 1));
}

TEST_F(ReadCatalogueTest, LongNamesAreCutTo255Characters) {
  std::string longName(400, 'n');
  Write("[Disc01]\r\nName=" + longName + "\r\n");
  ReadCatalogue();
  EXPECT_EQ(std::string(InstallState.DiscName[0]), std::string(255, 'n'));
}

}  // namespace
