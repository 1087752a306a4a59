#include "install/group_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char Windows[] = "C:\\WINDOWS";

std::string Expand(const char* command, size_t size = 256, int drive = 3,
                   const char* root = "V92EDemo", const char* windows = Windows) {
  char out[512];
  memset(out, 'x', sizeof out);
  EXPECT_LE(size, sizeof out);
  bool fits = ExpandGroupCommand(out, size, command, windows, drive, root);
  return fits ? std::string(out) : "<skipped:" + std::string(out) + ">";
}

TEST(GroupCommands, HashBecomesTheInstallationRootEachTime) {
  EXPECT_EQ(Expand("[AddItem(#\\ZeltaWin32\\ZeltaWin32.exe,ZeltaCAD)]"),
            "[AddItem(C:\\V92EDemo\\ZeltaWin32\\ZeltaWin32.exe,ZeltaCAD)]");
  EXPECT_EQ(Expand("[AddItem(#\\a.exe,x,#\\b.ico)]", 256, 4),
            "[AddItem(D:\\V92EDemo\\a.exe,x,D:\\V92EDemo\\b.ico)]");
  EXPECT_EQ(Expand("##"), "C:\\V92EDemoC:\\V92EDemo");
  EXPECT_EQ(Expand("[ShowGroup(Demo,1)]"), "[ShowGroup(Demo,1)]");
}

TEST(GroupCommands, HelpViewerCommandsTakeTheWindowsDirectory) {
  EXPECT_EQ(Expand("[AddItem(%s\\hh.exe #\\Help\\Zelta.chm,S\xFAg\xF3)]"),
            "[AddItem(C:\\WINDOWS\\hh.exe C:\\V92EDemo\\Help\\Zelta.chm,S\xFAg\xF3)]");
  EXPECT_EQ(Expand("[AddItem(%s\\WinHlp32.exe #\\Help\\Zelta.hlp,S\xFAg\xF3)]"),
            "[AddItem(C:\\WINDOWS\\WinHlp32.exe C:\\V92EDemo\\Help\\Zelta.hlp,S\xFAg\xF3)]");
  // Every "%s" of the command, not only the first.
  EXPECT_EQ(Expand("%s\\hh.exe %s"), "C:\\WINDOWS\\hh.exe C:\\WINDOWS");
}

TEST(GroupCommands, TheViewerNameIsMatchedWithItsCase) {
  EXPECT_EQ(Expand("[AddItem(%s\\HH.EXE,x)]"), "[AddItem(%s\\HH.EXE,x)]");
  EXPECT_EQ(Expand("[AddItem(%s\\winhlp32.exe,x)]"), "[AddItem(%s\\winhlp32.exe,x)]");
}

TEST(GroupCommands, CommandsAreNeverUsedAsFormats) {
  // Other commands keep every "%" sequence; help viewer commands keep all
  // but "%s" and "%%", which is "%" as a format made it ("%%s" too is a
  // plain "%s" then, never the Windows directory).
  EXPECT_EQ(Expand("[AddItem(%d %n %s %x %%,x)]"), "[AddItem(%d %n %s %x %%,x)]");
  EXPECT_EQ(Expand("%s\\hh.exe %d %n %p %% %"), "C:\\WINDOWS\\hh.exe %d %n %p % %");
  EXPECT_EQ(Expand("%s\\hh.exe 100%%s %%%s"), "C:\\WINDOWS\\hh.exe 100%s %C:\\WINDOWS");
  EXPECT_EQ(Expand("hh.exe %"), "hh.exe %");
}

TEST(GroupCommands, AHashInTheWindowsDirectoryIsExpandedToo) {
  // The "#" substitution runs over the formatted text.
  EXPECT_EQ(Expand("%s\\hh.exe", 256, 3, "R", "C:\\W#"), "C:\\WC:\\R\\hh.exe");
}

TEST(GroupCommands, AnExpansionThatDoesNotFitIsRefusedWhole) {
  EXPECT_EQ(Expand(""), "");
  std::string exact(250, 'a');  // 250 + "C:\\" + "V9" = 255 characters
  EXPECT_EQ(Expand((exact + "#").c_str(), 256, 3, "V9"), exact + "C:\\V9");
  EXPECT_EQ(Expand((exact + "#").c_str(), 256, 3, "V92"), "<skipped:>");
  std::string full(255, 'b');
  EXPECT_EQ(Expand(full.c_str()), full);
  std::string help = std::string(240, 'c') + "hh.exe%s";  // 246 + 10 > 255
  EXPECT_EQ(Expand(help.c_str()), "<skipped:>");
  EXPECT_EQ(Expand("#", 1), "<skipped:>");
}

TEST(GroupCommands, GroupCreationOnlyAtTheVeryStart) {
  EXPECT_TRUE(IsGroupCreation("[CreateGroup(Demo)]"));
  EXPECT_FALSE(IsGroupCreation("[ShowGroup(x)][CreateGroup(Demo)]"));
  EXPECT_FALSE(IsGroupCreation(" [CreateGroup(Demo)]"));
  EXPECT_FALSE(IsGroupCreation("[creategroup(Demo)]"));
  EXPECT_FALSE(IsGroupCreation(""));
}

TEST(GroupCommands, GroupNameRunsToTheFirstClosing) {
  char name[256];
  ASSERT_TRUE(GroupNameOf("[CreateGroup(Demo)]", name, sizeof name));
  EXPECT_STREQ(name, "Demo");
  ASSERT_TRUE(GroupNameOf("[CreateGroup(Demo,1)]", name, sizeof name));
  EXPECT_STREQ(name, "Demo,1");
  ASSERT_TRUE(GroupNameOf("[CreateGroup(A (b))][ShowGroup(A)]", name, sizeof name));
  EXPECT_STREQ(name, "A (b)");
  ASSERT_TRUE(GroupNameOf("[CreateGroup(Zelta Dem\xF3)]", name, sizeof name));
  EXPECT_STREQ(name, "Zelta Dem\xF3");
}

TEST(GroupCommands, NoNameWithoutClosingOrWhenEmpty) {
  char name[256];
  memset(name, 'x', sizeof name);
  EXPECT_FALSE(GroupNameOf("[CreateGroup()]", name, sizeof name));
  EXPECT_STREQ(name, "");
  EXPECT_FALSE(GroupNameOf("[CreateGroup(Demo)", name, sizeof name));
  EXPECT_STREQ(name, "");
  EXPECT_FALSE(GroupNameOf("[CreateGroup(Demo", name, sizeof name));
  EXPECT_FALSE(GroupNameOf("[ShowGroup(Demo)]", name, sizeof name));
}

TEST(GroupCommands, LongNamesAreCutToTheBuffer) {
  char name[5];
  ASSERT_TRUE(GroupNameOf("[CreateGroup(Demonstration)]", name, sizeof name));
  EXPECT_STREQ(name, "Demo");
}

TEST(GroupCommands, OnlyPlainFileNamesCanNameTheDesktopLink) {
  EXPECT_TRUE(IsPlainFileName("Demo"));
  EXPECT_TRUE(IsPlainFileName("Demo,1"));
  EXPECT_TRUE(IsPlainFileName("Zelta Dem\xF3 (9.2)"));
  EXPECT_FALSE(IsPlainFileName(""));
  EXPECT_FALSE(IsPlainFileName("..\\..\\Windows\\evil"));
  EXPECT_FALSE(IsPlainFileName("a/b"));
  EXPECT_FALSE(IsPlainFileName("C:evil"));
  EXPECT_FALSE(IsPlainFileName("a*"));
  EXPECT_FALSE(IsPlainFileName("a?"));
  EXPECT_FALSE(IsPlainFileName("\"a\""));
  EXPECT_FALSE(IsPlainFileName("a<b>"));
  EXPECT_FALSE(IsPlainFileName("a|b"));
  EXPECT_FALSE(IsPlainFileName("a\tb"));
}

}  // namespace
