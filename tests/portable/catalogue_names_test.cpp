#include "catalogue/catalogue_names.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "catalogue/components.h"
#include "catalogue/install_state.h"

namespace {

TEST(CatalogueNames, DiscNamesHaveTwoDigitsAndFileListsNone) {
  char buf[32];
  FormatDiscSection(buf, sizeof buf, 7);
  EXPECT_STREQ(buf, "Disc07");
  FormatDiscSection(buf, sizeof buf, 12);
  EXPECT_STREQ(buf, "Disc12");
  FormatDiscFolder(buf, sizeof buf, 1);
  EXPECT_STREQ(buf, "Disc_01");
  FormatDiscFolder(buf, sizeof buf, 15);
  EXPECT_STREQ(buf, "Disc_15");
  FormatFileListName(buf, sizeof buf, 3);
  EXPECT_STREQ(buf, "Fajls_3.ini");
  FormatFileListName(buf, sizeof buf, 10);
  EXPECT_STREQ(buf, "Fajls_10.ini");
  FormatNumberedKey(buf, sizeof buf, "File", 10);
  EXPECT_STREQ(buf, "File10");
}

TEST(CatalogueNames, BlankPaddedFormMatchesZeroPadded) {
  // The catalogue was once written with "Disc%2i" and the blank turned to "0".
  for (int disc = 1; disc <= DiscCount; ++disc) {
    char padded[32];
    snprintf(padded, sizeof padded, "Disc%2i", disc);
    for (char* p = padded; *p; ++p)
      if (*p == ' ') *p = '0';
    char formed[32];
    FormatDiscSection(formed, sizeof formed, disc);
    EXPECT_STREQ(formed, padded);
  }
}

TEST(CatalogueNames, DriveLetters) {
  EXPECT_EQ(DriveLetter(1), 'A');
  EXPECT_EQ(DriveLetter(3), 'C');
  EXPECT_EQ(DriveLetter(26), 'Z');
}

TEST(InstallStateRecord, InitialValues) {
  ResetInstallState();
  EXPECT_EQ(InstallState.StartAfterInstall, 1);
  for (int i = 0; i < ComponentCount; ++i) {
    EXPECT_EQ(InstallState.ComponentDownload[i], 1);
    EXPECT_EQ(InstallState.ComponentChosen[i], 0);
  }
  EXPECT_STREQ(InstallState.Caption, "ZeltaCAD telepit\xE9s:.........");
  EXPECT_EQ(strlen(InstallState.Caption), sizeof InstallState.Caption - 1);
  EXPECT_EQ(InstallState.TargetDrive, 0);
  EXPECT_STREQ(InstallState.RootDirectory, "");
  EXPECT_EQ(InstallState.CancelRequested, 0);
}

TEST(Components, FixedOrderKeysAndCheckBoxes) {
  const char* keys[] = {"Setup", "Systems", "Drawings", "Blocks", "Projects", "Datas", "Help"};
  for (int i = 0; i < ComponentCount; ++i) {
    EXPECT_STREQ(Components[i].Key, keys[i]);
    EXPECT_EQ(Components[i].CheckBoxId, 510 + i);
  }
  EXPECT_STREQ(Components[ComponentProjects].Label,
               "Minta l\xE9tes\xEDtm\xE9nyek telep\xEDt\xE9se.");
}

}  // namespace
