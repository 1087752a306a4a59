#include "common/path_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/device_name.h"

namespace {

TEST(ContainedPath, WellFormedPathsBelowTheFolder) {
  EXPECT_TRUE(IsContainedPath("\\a.txt"));
  EXPECT_TRUE(IsContainedPath("\\Program Files\\Zelta CAD\\zelta.exe"));
  EXPECT_TRUE(IsContainedPath("\\a/b.txt"));
  EXPECT_TRUE(IsContainedPath("\\.hidden"));
  EXPECT_TRUE(IsContainedPath("\\a..b\\..c"));
  EXPECT_TRUE(IsContainedPath("\\Telep\xEDt\xE9s\\f\xE1jl.txt"));
}

TEST(ContainedPath, PathsThatLeaveOrNameAnotherPlace) {
  EXPECT_FALSE(IsContainedPath(nullptr));
  EXPECT_FALSE(IsContainedPath(""));
  EXPECT_FALSE(IsContainedPath("\\"));
  EXPECT_FALSE(IsContainedPath("a.txt"));           // joined to the folder's own name
  EXPECT_FALSE(IsContainedPath("x\\a.txt"));
  EXPECT_FALSE(IsContainedPath("/a.txt"));
  EXPECT_FALSE(IsContainedPath("\\\\server\\share"));  // a second root
  EXPECT_FALSE(IsContainedPath("\\/a.txt"));
  EXPECT_FALSE(IsContainedPath("\\a\\\\b.txt"));
  EXPECT_FALSE(IsContainedPath("\\a\\"));
  EXPECT_FALSE(IsContainedPath("\\..\\a.txt"));
  EXPECT_FALSE(IsContainedPath("\\a\\..\\..\\b.txt"));
  EXPECT_FALSE(IsContainedPath("\\a/../b.txt"));
  EXPECT_FALSE(IsContainedPath("\\a\\.."));
  EXPECT_FALSE(IsContainedPath("\\a\\...\\b"));
  EXPECT_FALSE(IsContainedPath("\\a\\.. \\b"));
  EXPECT_FALSE(IsContainedPath("\\.\\a"));
  EXPECT_FALSE(IsContainedPath("\\C:\\a.txt"));
  EXPECT_FALSE(IsContainedPath("\\a.txt:stream"));
}

TEST(ContainedPath, JoinWritesTheTextAndTellsWhetherItIsSafe) {
  char out[64];
  EXPECT_TRUE(JoinContainedPath(out, sizeof out, "C:\\Root", "\\a\\b.txt"));
  EXPECT_STREQ(out, "C:\\Root\\a\\b.txt");

  // Unsafe parts are still written out, for the message that names them.
  EXPECT_FALSE(JoinContainedPath(out, sizeof out, "C:\\Root", "\\..\\b.txt"));
  EXPECT_STREQ(out, "C:\\Root\\..\\b.txt");
  EXPECT_FALSE(JoinContainedPath(out, sizeof out, "C:\\Root", "x.txt"));
  EXPECT_STREQ(out, "C:\\Rootx.txt");

  // No base: the path would start at the current drive's root.
  EXPECT_FALSE(JoinContainedPath(out, sizeof out, "", "\\a.txt"));
  EXPECT_STREQ(out, "\\a.txt");
}

TEST(ContainedPath, JoinThatDoesNotFitIsNotSafe) {
  char out[16];
  // Exactly 15 characters fit.
  EXPECT_TRUE(JoinContainedPath(out, sizeof out, "C:\\Root", "\\abcdef"));
  EXPECT_STREQ(out, "C:\\Root\\abcdef");
  EXPECT_TRUE(JoinContainedPath(out, sizeof out, "C:\\Root", "\\abcdefg"));
  // A cut path names another file ("\a\..x" cut after ".." would even climb).
  EXPECT_FALSE(JoinContainedPath(out, sizeof out, "C:\\Root", "\\abcdefgh"));
  EXPECT_EQ(std::string(out).size(), 15u);
  EXPECT_FALSE(JoinContainedPath(out, sizeof out, "C:\\Root", "\\abcd\\..xyz"));
}

TEST(ContainedPath, DirectoryValues) {
  EXPECT_TRUE(IsHarmlessDirectoryValue("\\ZeltaWin32"));
  EXPECT_TRUE(IsHarmlessDirectoryValue("\\ZeltaWin32\\Bin"));
  // Joined to the root's name without a separator: a folder beside the root
  // whose name begins with the root's. Harmless, and kept.
  EXPECT_TRUE(IsHarmlessDirectoryValue("Sibling"));
  EXPECT_TRUE(IsHarmlessDirectoryValue(""));
  EXPECT_FALSE(IsHarmlessDirectoryValue(nullptr));
  EXPECT_FALSE(IsHarmlessDirectoryValue("\\..\\Outside"));
  EXPECT_FALSE(IsHarmlessDirectoryValue("\\a\\..\\..\\Outside"));
  EXPECT_FALSE(IsHarmlessDirectoryValue("..\\Outside"));
  EXPECT_FALSE(IsHarmlessDirectoryValue("\\a\\. .\\b"));
  EXPECT_FALSE(IsHarmlessDirectoryValue("\\D:\\x"));
}

TEST(ContainedPath, DeviceNames) {
  struct Case {
    const char* name;
    bool device;
  };
  const Case cases[] = {
      {"CON", true},       {"con", true},        {"Prn", true},        {"aux", true},
      {"NUL", true},       {"nul.txt", true},    {"Nul.tar.gz", true}, {"CON.", true},
      {"con .txt", true},  {"AUX  ", true},      {"COM1", true},       {"com9.log", true},
      {"LPT1", true},      {"lpt9", true},       {"Lpt5 .dat", true},  {"", false},
      {"CONSOLE", false},  {"xcon", false},      {"con_txt", false},   {".con", false},
      {"COM", false},      {"COM0", false},      {"COM10", false},     {"LPTx", false},
      {"nul1", false},     {"Con\xE9", false},   {" CON", false},      {"auxiliary.txt", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsDeviceName(c.name, strlen(c.name)), c.device) << c.name;
  }
  // Only the given length counts: one name of a longer path.
  EXPECT_TRUE(IsDeviceName("CONtents", 3));
  EXPECT_FALSE(IsDeviceName("CONtents", 8));
}

TEST(ContainedPath, DeviceNameAnywhereInAPath) {
  struct Case {
    const char* path;
    bool device;
  };
  const Case cases[] = {
      {"\\ZeltaWin32\\Bin\\zelta.exe", false},
      {"\\ZeltaWin32\\con", true},
      {"\\ZeltaWin32\\COM1.txt", true},
      {"\\aux\\a.txt", true},
      {"\\a/nul.txt", true},
      {"Lpt3", true},
      {"\\a\\console\\b", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(HoldsDeviceName(c.path), c.device) << c.path;
  EXPECT_FALSE(HoldsDeviceName(nullptr));
}

// Sources, targets and directories from the server that name a device are
// refused like the other unsafe names.
TEST(ContainedPath, DeviceNamesAreRefusedEverywhere) {
  EXPECT_FALSE(IsContainedPath("\\ZeltaWin32\\Bin\\con.txt"));
  EXPECT_FALSE(IsContainedPath("\\LPT1\\a.txt"));
  EXPECT_TRUE(IsContainedPath("\\ZeltaWin32\\Bin\\console.txt"));
  EXPECT_FALSE(IsHarmlessDirectoryValue("\\ZeltaWin32\\nul"));
  EXPECT_TRUE(IsHarmlessDirectoryValue("\\ZeltaWin32\\null"));
  EXPECT_FALSE(IsSafeSourceName("Systems\\aux.dat"));
  EXPECT_FALSE(IsSafeSourceName("com3"));
  EXPECT_TRUE(IsSafeSourceName("Systems\\auxiliary.dat"));
}

// One rule for every name, whichever list it comes from: names of dots and
// blanks and empty names are refused in a source as in a target or a
// directory. Only the root keeps dot names other than "..", whose folder
// cannot be made.
TEST(PathNames, SourcesTargetsAndDirectoriesShareOneRule) {
  const char* const refused[] = {"...", ". .", ".. ", ".", "a\\\\b", "a\\...\\b", "a\\ \\b", "a\\\\"};
  for (const char* name : refused) {
    SCOPED_TRACE(name);
    std::string withSlash = std::string("\\") + name;
    EXPECT_FALSE(IsSafeSourceName(name));
    EXPECT_FALSE(IsContainedPath(withSlash.c_str()));
    EXPECT_FALSE(IsHarmlessDirectoryValue(withSlash.c_str()));
  }
  // A folder may be written with a closing backslash; a file may not.
  EXPECT_FALSE(IsSafeSourceName("a\\"));
  EXPECT_FALSE(IsContainedPath("\\a\\"));
  EXPECT_TRUE(IsHarmlessDirectoryValue("\\ZeltaWin32\\Bin\\"));
  EXPECT_TRUE(IsSafeSourceName("a..b\\c...\\.d"));
  EXPECT_TRUE(IsContainedPath("\\a..b\\c...\\.d"));
  EXPECT_TRUE(IsHarmlessDirectoryValue("\\a..b\\c...\\.d"));
  for (const char* root : {"...", ". .", ".. ", "V92EDemo", "Progs\\V92EDemo"}) EXPECT_TRUE(IsSafeRootName(root)) << root;
  const char* const refusedRoots[] = {"..", "V92EDemo\\..\\..\\x", "\\x", "D:\\x", "", "a\\", "nul", nullptr};
  for (const char* root : refusedRoots) EXPECT_FALSE(IsSafeRootName(root)) << (root ? root : "null");
}

}  // namespace
