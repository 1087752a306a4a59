#include "common/bounded_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(BoundedText, CopyAndAppendCutAtTheBufferAndStayTerminated) {
  char buf[8];
  memset(buf, 'x', sizeof buf);
  EXPECT_EQ(TextCopy(buf, "abc"), 3u);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(TextAppend(buf, "defghij"), 7u);
  EXPECT_STREQ(buf, "abcdefg");
  EXPECT_EQ(TextAppend(buf, "more"), 7u);  // already full: unchanged
  EXPECT_STREQ(buf, "abcdefg");
  EXPECT_EQ(TextCopy(buf, "0123456789"), 7u);
  EXPECT_STREQ(buf, "0123456");
  EXPECT_EQ(TextCopy(buf, nullptr), 0u);
  EXPECT_STREQ(buf, "");
}

TEST(BoundedText, TinyAndUnterminatedBuffers) {
  char one[1] = {'x'};
  EXPECT_EQ(TextCopy(one, sizeof one, "abc"), 0u);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(TextCopy(one, 0, "abc"), 0u);  // size 0 writes nothing

  char full[4] = {'a', 'b', 'c', 'd'};  // no terminator: taken as full
  EXPECT_EQ(TextAppend(full, "e"), 3u);
  EXPECT_STREQ(full, "abc");
}

TEST(BoundedText, AppendPartStopsAtCountOrNul) {
  char buf[16] = "ab";
  EXPECT_EQ(TextAppendPart(buf, sizeof buf, "cdef", 2), 4u);
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(TextAppendPart(buf, sizeof buf, "x\0y", 3), 5u);
  EXPECT_STREQ(buf, "abcdx");
}

TEST(BoundedText, FormatCutsLikeTheOtherHelpers) {
  char buf[6];
  EXPECT_EQ(TextFormat(buf, sizeof buf, "%s-%i", "ab", 1234), 5u);
  EXPECT_STREQ(buf, "ab-12");
  EXPECT_EQ(TextFormat(buf, sizeof buf, "%5.1f%%", 12.345), 5u);
  EXPECT_STREQ(buf, " 12.3");
}

TEST(BoundedText, FillPatternTakesOnlyStringArguments) {
  char buf[64];
  TextFillPattern(buf, sizeof buf, "A(z) ' %s ' - ' %s ' hiba", "src", "dst");
  EXPECT_STREQ(buf, "A(z) ' src ' - ' dst ' hiba");
  // Other conversions stand as text; "%%" is one percent sign.
  TextFillPattern(buf, sizeof buf, "%d %x %n 100%% %s", "arg");
  EXPECT_STREQ(buf, "%d %x %n 100% arg");
  // Missing arguments give empty texts; a third %s reads nothing.
  TextFillPattern(buf, sizeof buf, "[%s][%s][%s]", "a");
  EXPECT_STREQ(buf, "[a][][]");
  // An argument holding "%s" is not expanded again.
  TextFillPattern(buf, sizeof buf, "<%s>", "%s%s");
  EXPECT_STREQ(buf, "<%s%s>");
  // A lone '%' at the end stays.
  TextFillPattern(buf, sizeof buf, "50%", nullptr);
  EXPECT_STREQ(buf, "50%");
}

TEST(BoundedText, FillPatternIsBounded) {
  char buf[10];
  EXPECT_EQ(TextFillPattern(buf, sizeof buf, "ab%scd", "0123456789"), 9u);
  EXPECT_STREQ(buf, "ab0123456");
  EXPECT_EQ(TextFillPattern(buf, sizeof buf, "%s%s", "abcdef", "ghijkl"), 9u);
  EXPECT_STREQ(buf, "abcdefghi");
}

}  // namespace
