#include "tools/distribution/zelta-dist/cp1250.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ToCp1250(const std::string& utf8, bool* ok = nullptr, std::string* bad = nullptr) {
  std::string out, problem;
  bool result = Utf8ToCp1250(utf8, out, problem);
  if (ok != nullptr) *ok = result;
  if (bad != nullptr) *bad = problem;
  return out;
}

TEST(Cp1250, HungarianLettersAndPunctuation) {
  // The Hungarian pangram "flood-proof mirror drill", every accent in it.
  EXPECT_EQ(ToCp1250("\xC3\x81rv\xC3\xADzt\xC5\xB1r\xC5\x91 t\xC3\xBCk\xC3\xB6rf\xC3\xBAr\xC3\xB3g\xC3\xA9p"),
            "\xC1rv\xEDzt\xFBr\xF5 t\xFCk\xF6rf\xFAr\xF3g\xE9p");
  EXPECT_EQ(ToCp1250("\xC5\x90\xC5\xB0"), "\xD5\xDB");       // O and U with double acute
  EXPECT_EQ(ToCp1250("\xE2\x80\x93"), "\x96");               // en dash
  EXPECT_EQ(ToCp1250("\xE2\x82\xAC"), "\x80");               // euro sign
  EXPECT_EQ(ToCp1250("plain ASCII \\ [x]"), "plain ASCII \\ [x]");
}

TEST(Cp1250, RefusesWhatItCannotWrite) {
  bool ok = true;
  std::string bad;
  ToCp1250("\xC3\xB1", &ok, &bad);  // n with tilde is not in Windows-1250
  EXPECT_FALSE(ok);
  EXPECT_EQ(bad, "U+00F1 (not in Windows-1250)");

  ToCp1250("a\xE9z", &ok, &bad);  // a Latin-1 byte, not UTF-8
  EXPECT_FALSE(ok);
  EXPECT_NE(bad.find("0xE9"), std::string::npos);

  ToCp1250("\xC5", &ok, &bad);  // cut off
  EXPECT_FALSE(ok);

  ToCp1250("\xC0\xAF", &ok, &bad);  // overlong '/'
  EXPECT_FALSE(ok);

  ToCp1250("\xC2\x81", &ok, &bad);  // C1 control: would be an unassigned byte
  EXPECT_FALSE(ok);
}

TEST(Cp1250, BackToUtf8CoversEveryByte) {
  EXPECT_EQ(Cp1250ToUtf8("Dem\xF3 \x96 1. lemez"), "Dem\xC3\xB3 \xE2\x80\x93 1. lemez");
  // Every assigned byte makes the round trip.
  for (int b = 0x20; b < 0x100; ++b) {
    if (b == 0x7F || b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98) continue;
    std::string one(1, static_cast<char>(b));
    bool ok = false;
    EXPECT_EQ(ToCp1250(Cp1250ToUtf8(one), &ok), one) << "byte " << b;
    EXPECT_TRUE(ok) << "byte " << b;
  }
  // Unassigned bytes still give a file name.
  EXPECT_EQ(Cp1250ToUtf8("\x81"), "\xC2\x81");
}

}  // namespace
