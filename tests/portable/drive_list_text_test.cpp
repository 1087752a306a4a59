#include "setup/drive_list_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(DriveListText, WindowsFormBeginsWithTheLetter) {
  EXPECT_EQ(DriveListEntryLetter("c: [SYSTEM]"), 'c');
  EXPECT_EQ(DriveListEntryLetter("D:"), 'D');
  EXPECT_EQ(DriveListEntryLetter("z"), 'z');
  EXPECT_EQ(DriveListEntryLetter("a: \\\\server\\share"), 'a');
}

TEST(DriveListText, WineFormNamesTheLetterInBrackets) {
  EXPECT_EQ(DriveListEntryLetter("[-c-]"), 'c');
  EXPECT_EQ(DriveListEntryLetter("[-Z-]"), 'Z');
  EXPECT_EQ(DriveListEntryLetter("[-e-] extra"), 'e');
}

TEST(DriveListText, OtherTextsNameNoDrive) {
  EXPECT_EQ(DriveListEntryLetter(nullptr), 0);
  EXPECT_EQ(DriveListEntryLetter(""), 0);
  EXPECT_EQ(DriveListEntryLetter("[..]"), 0);
  EXPECT_EQ(DriveListEntryLetter("[-1-]"), 0);
  EXPECT_EQ(DriveListEntryLetter("[-c]"), 0);
  EXPECT_EQ(DriveListEntryLetter("[c]"), 0);
  EXPECT_EQ(DriveListEntryLetter("1: disk"), 0);
  EXPECT_EQ(DriveListEntryLetter(":"), 0);
  // Letters of the code page that are no drive letters.
  EXPECT_EQ(DriveListEntryLetter("\xC9:"), 0);
  EXPECT_EQ(DriveListEntryLetter("[-\xE9-]"), 0);
  EXPECT_EQ(DriveListEntryLetter("@:"), 0);
  EXPECT_EQ(DriveListEntryLetter("[:"), 0);
}

TEST(DriveListText, ShortWineFormsAreNotReadPastTheirEnd) {
  // Each cut-off prefix of "[-c-]" in a buffer of exactly its own size:
  // the sanitizers of the native build catch a read beyond it.
  const char full[] = "[-c-]";
  for (size_t n = 0; n < 5; ++n) {
    char* text = new char[n + 1];
    memcpy(text, full, n);
    text[n] = '\0';
    EXPECT_EQ(DriveListEntryLetter(text), 0) << text;
    delete[] text;
  }
}

TEST(DriveListText, DriveLetterIsAsciiOnly) {
  int count = 0;
  for (int c = 1; c < 256; ++c)
    if (IsDriveLetter(static_cast<char>(c))) ++count;
  EXPECT_EQ(count, 52);
  EXPECT_TRUE(IsDriveLetter('A'));
  EXPECT_TRUE(IsDriveLetter('z'));
  EXPECT_FALSE(IsDriveLetter('@'));
  EXPECT_FALSE(IsDriveLetter('['));
  EXPECT_FALSE(IsDriveLetter('`'));
  EXPECT_FALSE(IsDriveLetter('{'));
}

}  // namespace
