#include "install/file_entry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

FileEntryRecord Split(const std::string& value) {
  FileEntryRecord entry;
  SplitFileEntry(value.c_str(), &entry);
  return entry;
}

TEST(FileEntrySplit, SourceEndsAtBlankOrCommaAndBlanksAreSkipped) {
  FileEntryRecord e = Split("\\bin\\zelta.exe    \\Program Files\\zelta.exe");
  EXPECT_STREQ(e.Source, "\\bin\\zelta.exe");
  EXPECT_STREQ(e.TargetField, "\\Program Files\\zelta.exe");
  EXPECT_STREQ(e.TargetPath, "\\Program Files\\zelta.exe");
  EXPECT_EQ(e.Mode, TargetModeNone);
  EXPECT_EQ(e.WindowsBase, 0);
  EXPECT_EQ(e.WrongCodeCount, 0);

  e = Split("\\a.txt, \\dir\\a b.txt");
  EXPECT_STREQ(e.Source, "\\a.txt");
  EXPECT_STREQ(e.TargetPath, "\\dir\\a b.txt");

  // Only blanks are skipped after the separator, not a second comma.
  e = Split("\\a.txt,,\\b.txt");
  EXPECT_STREQ(e.Source, "\\a.txt");
  EXPECT_STREQ(e.TargetField, ",\\b.txt");
}

TEST(FileEntrySplit, ValueWithoutSeparatorHasNoTarget) {
  FileEntryRecord e = Split("\\lonely.txt");
  EXPECT_STREQ(e.Source, "\\lonely.txt");
  EXPECT_STREQ(e.TargetField, "");
  EXPECT_STREQ(e.TargetPath, "");
  e = Split("\\trailing.txt   ");
  EXPECT_STREQ(e.Source, "\\trailing.txt");
  EXPECT_STREQ(e.TargetField, "");
}

TEST(FileEntryCodes, AskKeepAndWindowsBase) {
  FileEntryRecord e = Split("\\a *?\\a");
  EXPECT_EQ(e.Mode, TargetModeAsk);
  EXPECT_STREQ(e.TargetPath, "\\a");
  EXPECT_STREQ(e.TargetField, "*?\\a");

  e = Split("\\a *-\\a");
  EXPECT_EQ(e.Mode, TargetModeKeep);

  // Keep wins over ask in either order.
  EXPECT_EQ(Split("\\a *?*-\\a").Mode, TargetModeKeep);
  EXPECT_EQ(Split("\\a *-*?\\a").Mode, TargetModeKeep);

  e = Split("\\win.ini *%*?\\zelta.ini");
  EXPECT_EQ(e.WindowsBase, 1);
  EXPECT_EQ(e.Mode, TargetModeAsk);
  EXPECT_STREQ(e.TargetPath, "\\zelta.ini");
  EXPECT_STREQ(e.TargetField, "*%*?\\zelta.ini");
  EXPECT_EQ(e.WrongCodeCount, 0);
}

TEST(FileEntryCodes, WrongCodeKeepsItsCharacter) {
  FileEntryRecord e = Split("\\a *x\\a.txt");
  EXPECT_EQ(e.WrongCodeCount, 1);
  EXPECT_EQ(e.WrongCode, 'x');
  EXPECT_STREQ(e.TargetPath, "x\\a.txt");
  EXPECT_STREQ(e.TargetField, "*x\\a.txt");

  // A backslash after "*" is a wrong code too; the path then stands whole.
  e = Split("\\a *-*\\keep.txt");
  EXPECT_EQ(e.Mode, TargetModeKeep);
  EXPECT_EQ(e.WrongCodeCount, 1);
  EXPECT_EQ(e.WrongCode, '\\');
  EXPECT_STREQ(e.TargetPath, "\\keep.txt");

  // "**" is a wrong "*", after which the next "*" is read as a code again.
  e = Split("\\a ***?\\b");
  EXPECT_EQ(e.WrongCodeCount, 2);
  EXPECT_EQ(e.WrongCode, '*');
  EXPECT_EQ(e.Mode, TargetModeAsk);
  EXPECT_STREQ(e.TargetPath, "\\b");
}

TEST(FileEntryCodes, LoneStarAtTheEndDoesNotReadPastIt) {
  FileEntryRecord e = Split("\\a *?*");
  EXPECT_EQ(e.Mode, TargetModeAsk);
  EXPECT_EQ(e.WrongCodeCount, 1);
  EXPECT_EQ(e.WrongCode, '\0');
  EXPECT_STREQ(e.TargetPath, "");
}

TEST(FileEntrySplit, LongValuesAreCutToTheBuffers) {
  std::string target = "\\" + std::string(300, 't');
  FileEntryRecord e = Split("\\s " + target);
  EXPECT_EQ(std::string(e.TargetField), target.substr(0, TextSize - 1));
  EXPECT_EQ(std::string(e.TargetPath), target.substr(0, TextSize - 1));
  std::string source = "\\" + std::string(300, 's');
  e = Split(source + " \\t");
  EXPECT_EQ(std::string(e.Source), source.substr(0, TextSize - 1));
  EXPECT_STREQ(e.TargetPath, "\\t");
}

}  // namespace
