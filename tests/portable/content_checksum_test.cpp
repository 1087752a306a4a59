#include "web/content_checksum.h"

#include <gtest/gtest.h>

#include <string>

#include "web/transfer_text.h"

namespace {

const std::string ZeroDigest(64, '0');
const std::string Digest1 = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";

ChecksumLineKind Parse(const std::string& line, ContentChecksum* sum = nullptr, std::string* path = nullptr) {
  ContentChecksum own;
  const char* p = nullptr;
  size_t n = 0;
  ChecksumLineKind kind = ParseChecksumLine(line.data(), line.size(), sum != nullptr ? sum : &own, &p, &n);
  if (path != nullptr && kind == ChecksumLineEntry) path->assign(p, n);
  return kind;
}

TEST(ChecksumList, ListNamesFollowTheDisc) {
  char name[32];
  FormatChecksumListName(name, sizeof name, 1);
  EXPECT_STREQ(name, "Fajls_1.sha256");
  FormatChecksumListName(name, sizeof name, 15);
  EXPECT_STREQ(name, "Fajls_15.sha256");
}

TEST(ChecksumList, EntryLines) {
  ContentChecksum sum;
  std::string path;
  ASSERT_EQ(Parse(Digest1 + " 1300000 \\Systems\\bin\\zelta.exe", &sum, &path), ChecksumLineEntry);
  EXPECT_EQ(sum.Length, 1300000);
  EXPECT_EQ(path, "\\Systems\\bin\\zelta.exe");
  EXPECT_EQ(sum.Digest[0], 0x9f);
  EXPECT_EQ(sum.Digest[31], 0x08);
  char hex[65];
  FormatDigestHex(hex, sizeof hex, sum.Digest);
  EXPECT_EQ(hex, Digest1);

  // Blanks and tabs between the fields, blanks and a CR after the source.
  ASSERT_EQ(Parse(Digest1 + " \t 7\t\\a.txt \r", &sum, &path), ChecksumLineEntry);
  EXPECT_EQ(path, "\\a.txt");
  EXPECT_EQ(sum.Length, 7);
  EXPECT_EQ(Parse(ZeroDigest + " 0 a.txt", &sum), ChecksumLineEntry);
  EXPECT_EQ(Parse(ZeroDigest + " 281474976710656 a", &sum), ChecksumLineEntry);
  EXPECT_EQ(sum.Length, MaxFileBytes);

  for (const std::string& empty : {std::string(""), std::string("\r"), std::string("  \t"), std::string("# sums"),
                                   std::string("  # indented comment")}) {
    EXPECT_EQ(Parse(empty), ChecksumLineEmpty) << empty;
  }

  const std::string bad[] = {
      Digest1,                                                  // no length, no source
      Digest1 + " 5",                                           // no source
      Digest1 + " 5 ",                                          // no source
      Digest1 + "5 a",                                          // no blank after the digest
      Digest1.substr(0, 63) + " 5 a",                           // 63 digits
      Digest1 + "0 5 a",                                        // 65 digits
      "9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08 5 a",  // upper case
      std::string(63, '0') + "g 5 a",
      " " + Digest1 + " 5 a",                                   // indented
      Digest1 + " -5 a",
      Digest1 + " 5x a",
      Digest1 + " 281474976710657 a",                           // more than a file holds
      Digest1 + " 99999999999999999999999 a",
      Digest1 + " 5 a b",                                       // a source holds no blank
      Digest1 + " 5 a\x01",
  };
  for (const std::string& line : bad) EXPECT_EQ(Parse(line), ChecksumLineBad) << line;
}

TEST(ChecksumList, LookupByTheDownloadsName) {
  const std::string list = "# Fajls_1.ini\r\n" + Digest1 + " 1300000 \\Systems\\bin\\zelta.exe\r\n\r\n" +
                           ZeroDigest + " 3 setup.ex_\n" + ZeroDigest + " 3 \\setup.ex_\r\n" + Digest1 +
                           " 12 \\twice.txt\r\n" + ZeroDigest + " 12 \\twice.txt\r\n" + Digest1 + " 9 \\last.txt";
  EXPECT_TRUE(IsUsableChecksumList(list.data(), list.size()));
  ContentChecksum sum;
  ASSERT_EQ(FindContentChecksum(list.data(), list.size(), "Systems\\bin\\zelta.exe", &sum), ChecksumListed);
  EXPECT_EQ(sum.Length, 1300000);
  // With or without the leading backslash on either side; the same sum twice is fine.
  EXPECT_EQ(FindContentChecksum(list.data(), list.size(), "\\Systems\\bin\\zelta.exe", &sum), ChecksumListed);
  EXPECT_EQ(FindContentChecksum(list.data(), list.size(), "setup.ex_", &sum), ChecksumListed);
  EXPECT_EQ(sum.Length, 3);
  EXPECT_EQ(FindContentChecksum(list.data(), list.size(), "last.txt", &sum), ChecksumListed);
  EXPECT_EQ(sum.Length, 9);
  // Names are compared byte for byte, whole.
  EXPECT_EQ(FindContentChecksum(list.data(), list.size(), "systems\\bin\\zelta.exe", &sum), ChecksumNotListed);
  EXPECT_EQ(FindContentChecksum(list.data(), list.size(), "Systems\\bin\\zelta.ex", &sum), ChecksumNotListed);
  EXPECT_EQ(FindContentChecksum(list.data(), list.size(), "", &sum), ChecksumNotListed);
  EXPECT_EQ(FindContentChecksum(list.data(), list.size(), "twice.txt", &sum), ChecksumConflicting);

  const std::string broken = list + "\r\nnot a line\r\n";
  EXPECT_FALSE(IsUsableChecksumList(broken.data(), broken.size()));
  EXPECT_TRUE(IsUsableChecksumList("", 0));
}

}  // namespace
