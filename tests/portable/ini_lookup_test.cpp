#include "web/ini_lookup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Looks up in a std::string (which may hold any bytes) and returns the
// value, or "<absent>" with the output checked to be "*".
struct Lookup {
  bool found;
  std::string value;
};

Lookup Find(const std::string& text, const char* section, const char* key, size_t outSize = 256) {
  std::string out(outSize, 'x');
  bool found = IniLookup(section, key, &out[0], outSize, text.data(), text.size());
  return {found, std::string(out.c_str())};
}

TEST(IniLookup, ValueFormsAroundTheEqualsSign) {
  std::string text =
      "[System]\r\n"
      "A=one\r\n"
      "B= two\r\n"
      "C = three\r\n"
      "D=  four\r\n"
      "E=\r\n";
  EXPECT_EQ(Find(text, "System", "A").value, "one");
  EXPECT_EQ(Find(text, "System", "B").value, "two");
  EXPECT_EQ(Find(text, "System", "C").value, "three");
  EXPECT_EQ(Find(text, "System", "D").value, " four");  // only one blank is skipped
  Lookup empty = Find(text, "System", "E");
  EXPECT_TRUE(empty.found);
  EXPECT_EQ(empty.value, "");
}

TEST(IniLookup, KeyIsAPrefixMatchAndTheFirstLineWins) {
  std::string text = "[Setup]\r\nFile10=a\r\nFile1=b\r\n";
  Lookup r = Find(text, "Setup", "File1");
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.value, "a");
  EXPECT_EQ(Find(text, "Setup", "File10").value, "a");
}

TEST(IniLookup, KeysAndSectionsAreCaseSensitiveAndNotTrimmed) {
  std::string text = "[Setup]\r\n  File1=lead\r\nfile2=lower\r\n[setup2]\r\nFile2=x\r\n";
  EXPECT_FALSE(Find(text, "Setup", "File1").found);  // leading blanks: not found
  EXPECT_FALSE(Find(text, "Setup", "File2").found);  // stops at [setup2]
  EXPECT_FALSE(Find(text, "SETUP", "").found);
  EXPECT_TRUE(Find(text, "setup2", "File2").found);
}

TEST(IniLookup, AbsentKeyLeavesTheMarker) {
  std::string text = "[Disc01]\r\nName=One\r\n";
  Lookup r = Find(text, "Disc01", "Setup");
  EXPECT_FALSE(r.found);
  EXPECT_EQ(r.value, "*");
  r = Find(text, "Disc02", "Name");
  EXPECT_FALSE(r.found);
  EXPECT_EQ(r.value, "*");
}

TEST(IniLookup, NextSectionStopsTheKeySearch) {
  std::string text = "[A]\r\nX=1\r\n[B]\r\nY=2\r\n";
  EXPECT_FALSE(Find(text, "A", "Y").found);
  EXPECT_EQ(Find(text, "B", "Y").value, "2");
  // The section line may go on after its closing bracket.
  EXPECT_EQ(Find("[A] ; note\r\nX=1\r\n", "A", "X").value, "1");
}

TEST(IniLookup, EmptyKeyTestsForTheSection) {
  std::string text = "[Disc03]\r\nName=Three\r\n";
  Lookup r = Find(text, "Disc03", "");
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.value, "*");
  EXPECT_FALSE(Find(text, "Disc02", "").found);
}

TEST(IniLookup, LastLineWithoutCrLf) {
  // A key on the unterminated last line is found...
  EXPECT_EQ(Find("[A]\r\nX=1\r\nY=last", "A", "Y").value, "last");
  // ...but a section header there is not.
  EXPECT_FALSE(Find("X=1\r\n[A]", "A", "").found);
  EXPECT_FALSE(Find("[A]", "A", "").found);
  // The empty rest after a final CR LF finds nothing.
  EXPECT_FALSE(Find("[A]\r\n", "A", "X").found);
}

TEST(IniLookup, OnlyCrLfEndsALine) {
  // LF alone: the whole text is one line, so there is no section line.
  EXPECT_FALSE(Find("[A]\nX=1\n", "A", "X").found);
  // A header ended by LF alone runs into the next line, which still begins
  // with the header: the key search then starts after the CR LF.
  std::string text = "[A]\nX=1\r\nY=2\r\n";
  EXPECT_FALSE(Find(text, "A", "X").found);
  EXPECT_EQ(Find(text, "A", "Y").value, "2");
  // A lone CR does not end a line either: the value runs on to the CR LF.
  EXPECT_EQ(Find("[A]\r\nX=1\rZ\r\n", "A", "X").value, "1\rZ");
  // A CR as the very last byte (no LF within the text) ends nothing.
  EXPECT_EQ(Find("[A]\r\nX=1\r", "A", "X").value, "1\r");
}

TEST(IniLookup, LinesAreCutAt255Bytes) {
  std::string longValue(300, 'v');
  std::string text = "[A]\r\nKey=" + longValue + "\r\nNext=n\r\n";
  Lookup r = Find(text, "A", "Key");
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.value, std::string(255 - 4, 'v'));  // 255 bytes of the line less "Key="
  EXPECT_EQ(Find(text, "A", "Next").value, "n");  // the next line starts after the CR LF

  // A '=' beyond the first 255 bytes is not seen: the line assigns nothing.
  std::string farEquals = "[A]\r\nKey" + std::string(260, ' ') + "=x\r\nKey=near\r\n";
  EXPECT_EQ(Find(farEquals, "A", "Key").value, "near");

  // A header of exactly 255 bytes still fits the compared part of the line.
  std::string section(253, 's');
  EXPECT_EQ(Find("[" + section + "]\r\nX=1\r\n", section.c_str(), "X").value, "1");
}

TEST(IniLookup, OutputIsBoundedByItsSize) {
  std::string text = "[A]\r\nKey=abcdefghij\r\n";
  Lookup r = Find(text, "A", "Key", 5);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.value, "abcd");
  char one[1] = {'x'};
  EXPECT_TRUE(IniLookup("A", "Key", one, sizeof one, text.data(), text.size()));
  EXPECT_EQ(one[0], '\0');
}

TEST(IniLookup, KeyLineWithoutEqualsSignAssignsNothing) {
  std::string text = "[A]\r\nFile1 no sign\r\nFile1=real\r\n";
  EXPECT_EQ(Find(text, "A", "File1").value, "real");
  EXPECT_FALSE(Find("[A]\r\nFile1\r\n", "A", "File1").found);
}

TEST(IniLookup, BytesAreTakenAsTheyAre) {
  // Windows-1250 text and NUL bytes inside the text.
  static const char raw[] = "[Disc01]\r\nName=Lemez \xE9\xF5\r\n\0junk\r\nSetup=12\r\n";
  std::string text(raw, sizeof raw - 1);
  EXPECT_EQ(Find(text, "Disc01", "Name").value, "Lemez \xE9\xF5");
  EXPECT_EQ(Find(text, "Disc01", "Setup").value, "12");
  EXPECT_FALSE(Find("", "A", "").found);
}

TEST(IniLookup, TextIsNotModified) {
  const std::string original = "[A]\r\nX = 1\r\nY=2";
  std::string copy = original;
  char out[256];
  IniLookup("A", "X", out, sizeof out, copy.data(), copy.size());
  IniLookup("A", "Y", out, sizeof out, copy.data(), copy.size());
  EXPECT_EQ(copy, original);
}

}  // namespace
