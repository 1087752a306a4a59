#include "web/transfer_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string First = "ZeltaCAD WEB update system: V9.21";
const std::string Second = "ZeltaSoft Ltd. 1992-2019.";

bool Probe(const std::string& body, int32_t cancel = 0) {
  return ProbeMarkersPresent(body.data(), body.size(), &cancel);
}

TEST(ProbeScan, BothMarkersInOrderOnCrLfLines) {
  EXPECT_TRUE(Probe(First + "\r\n" + Second + "\r\n"));
  // Each marker counts whole: one letter short is no marker.
  EXPECT_FALSE(Probe(First.substr(0, First.size() - 1) + "\r\n" + Second + "\r\n"));
  EXPECT_FALSE(Probe(First + "\r\n" + Second.substr(0, Second.size() - 1) + "\r\n"));
  // Other lines around and between them are passed over; markers may go on.
  EXPECT_TRUE(Probe("[Update]\r\n" + First + " (build 7)\r\nx\r\n" + Second + " All rights.\r\nend"));
}

TEST(ProbeScan, OrderMatters) {
  EXPECT_FALSE(Probe(Second + "\r\n" + First + "\r\n"));
  EXPECT_TRUE(Probe(Second + "\r\n" + First + "\r\n" + Second + "\r\n"));
  // Both on one line counts once, as the first.
  EXPECT_FALSE(Probe(First + Second + "\r\n"));
}

TEST(ProbeScan, SecondMarkerMustEndWithCrLf) {
  EXPECT_FALSE(Probe(First + "\r\n" + Second));
  EXPECT_FALSE(Probe(First + "\r\n" + Second + "\n"));
  EXPECT_FALSE(Probe(First + "\n" + Second + "\n"));
  EXPECT_FALSE(Probe(First + "\r\n" + Second + "\r"));
}

TEST(ProbeScan, MarkersAreCaseSensitiveAndAtLineStart) {
  std::string lower = First;
  lower[0] = 'z';
  EXPECT_FALSE(Probe(lower + "\r\n" + Second + "\r\n"));
  EXPECT_FALSE(Probe(" " + First + "\r\n" + Second + "\r\n"));
  EXPECT_FALSE(Probe(First.substr(0, 32) + "\r\n" + Second + "\r\n"));
}

TEST(ProbeScan, OnlyTheFirst255BytesOfALineCount) {
  // A marker that starts at byte 250 of an over-long line is not seen, and
  // the line after it starts fresh.
  std::string pad(300, 'p');
  EXPECT_TRUE(Probe(pad + "\r\n" + First + "\r\n" + pad + "\r\n" + Second + "\r\n"));
  EXPECT_FALSE(Probe(First + "\r\n" + std::string(250, ' ') + Second + "\r\n"));
}

TEST(ProbeScan, CancelStopsTheScan) {
  EXPECT_FALSE(Probe(First + "\r\n" + Second + "\r\n", 1));
  EXPECT_FALSE(ProbeMarkersPresent("", 0, nullptr));
}

TEST(DownloadFilter, NamesWithExOrDlAnywhere) {
  EXPECT_TRUE(IsFilteredName("setup.ex_"));
  EXPECT_TRUE(IsFilteredName("bin\\zelta.dl_"));
  EXPECT_TRUE(IsFilteredName("ex_tra.txt"));
  EXPECT_FALSE(IsFilteredName("setup.EX_"));
  EXPECT_FALSE(IsFilteredName("setup.exe"));
  EXPECT_FALSE(IsFilteredName("d_l_"));
}

TEST(DownloadFilter, KeepsOddOffsets) {
  char data[] = {'x', 'A', 'x', 'B', 'x', 'C'};
  ASSERT_EQ(DeinterleaveChunk(data, sizeof data, 0), 3u);
  EXPECT_EQ(std::string(data, 3), "ABC");
  char odd[] = {'x', 'A', 'x', 'B', 'x'};
  ASSERT_EQ(DeinterleaveChunk(odd, sizeof odd, 0), 2u);
  EXPECT_EQ(std::string(odd, 2), "AB");
  char one[] = {'x'};
  EXPECT_EQ(DeinterleaveChunk(one, 1, 0), 0u);
  // A chunk that begins at an odd offset of the file keeps its first byte.
  char later[] = {'B', 'x', 'C'};
  ASSERT_EQ(DeinterleaveChunk(later, sizeof later, 3), 2u);
  EXPECT_EQ(std::string(later, 2), "BC");
}

// A transfer may be cut and resumed anywhere, and reads may return any
// count: the stored bytes are the same every time.
TEST(DownloadFilter, SameBytesHoweverTheTransferIsSplit) {
  std::string stored;
  std::string real;
  for (int i = 0; i < 41; ++i) {
    stored += static_cast<char>('a' + i % 7);
    stored += static_cast<char>('A' + i % 26);
    real += static_cast<char>('A' + i % 26);
  }
  stored += 'z';  // an odd length: the last filler has no byte after it
  const size_t splits[][3] = {{1, 2, 3}, {7, 8, 40}, {2, 4, 6}, {13, 13, 50}, {0, 81, 82}, {5, 33, 34}};
  for (const auto& cut : splits) {
    std::string kept;
    size_t at = 0;
    for (size_t end : {cut[0], cut[1], cut[2], stored.size()}) {
      if (end <= at || end > stored.size()) continue;
      std::string chunk = stored.substr(at, end - at);
      kept.append(chunk.data(), DeinterleaveChunk(&chunk[0], chunk.size(), static_cast<int64_t>(at)));
      at = end;
    }
    EXPECT_EQ(kept, real) << cut[0] << " " << cut[1] << " " << cut[2];
  }
}

TEST(ActivityMark, CycleStartsAtTheSecondChunk) {
  EXPECT_STREQ(ActivityMark(0), "");
  const char* expected[] = {"|", "/", "-", "\\", "", "|", "/"};
  for (int chunk = 1; chunk <= 7; ++chunk) EXPECT_STREQ(ActivityMark(chunk), expected[chunk - 1]) << chunk;
}

}  // namespace

namespace {

// The catalogue's sizes: what the C library reads, but never a negative
// size or one no file can hold (they would be summed into the counters).
TEST(CatalogueSize, NegativeAndHugeSizesAreRefused) {
  struct Case {
    const char* text;
    bool usable;
    int64_t bytes;
  } cases[] = {
      {"5000", true, 5000},
      {"  5000", true, 5000},
      {"+12", true, 12},
      {"12abc", true, 12},     // read up to the first other character, as ever
      {"abc", true, 0},
      {"", true, 0},
      {"-0", true, 0},
      {"281474976710656", true, MaxFileBytes},  // 2^48
      {"281474976710657", false, 0},
      {"-1", false, 0},
      {"-5000", false, 0},
      {"9223372036854775808", false, 0},  // 2^63: past the 64-bit limit
      {"99999999999999999999999999", false, 0},
      {"-9223372036854775808", false, 0},
  };
  for (const Case& c : cases) {
    int64_t bytes = -7;
    EXPECT_EQ(ReadCatalogueSize(c.text, &bytes), c.usable) << c.text;
    EXPECT_EQ(bytes, c.bytes) << c.text;
  }
}

}  // namespace
