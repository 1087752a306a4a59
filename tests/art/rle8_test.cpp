// The RLE8 encoder against the tests' own strict decoder.
#include "tools/art/rle8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/art/clip_reader.h"

namespace {

// Encodes `top_down` and decodes it back strictly; gives the decoded frame
// top-down again.
::testing::AssertionResult RoundTrip(const std::vector<uint8_t>& top_down, int width, int height,
                                     std::vector<uint8_t>* coded = nullptr) {
  std::vector<uint8_t> stream;
  if (!art::Rle8EncodeFrame(top_down.data(), width, height, stream)) {
    return ::testing::AssertionFailure() << "encoder refused " << width << "x" << height;
  }
  std::vector<uint8_t> bottom_up;
  std::string error;
  if (!cliptest::DecodeRle8(stream.data(), stream.size(), width, height, bottom_up, error)) {
    return ::testing::AssertionFailure() << width << "x" << height << ": " << error;
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t want = top_down[size_t(y) * width + x];
      uint8_t got = bottom_up[size_t(height - 1 - y) * width + x];
      if (want != got) {
        return ::testing::AssertionFailure() << width << "x" << height << " pixel (" << x << ","
                                             << y << "): want " << int(want) << " got " << int(got);
      }
    }
  }
  if (coded) *coded = stream;
  return ::testing::AssertionSuccess();
}

std::vector<uint8_t> Row(std::initializer_list<std::pair<int, uint8_t>> runs) {
  std::vector<uint8_t> row;
  for (const auto& r : runs) row.insert(row.end(), size_t(r.first), r.second);
  return row;
}

TEST(Rle8, UniformRowsOfEveryAwkwardLength) {
  for (int w : {1, 2, 3, 4, 254, 255, 256, 257, 509, 510, 511, 600}) {
    std::vector<uint8_t> row(size_t(w), 7);
    std::vector<uint8_t> coded;
    ASSERT_TRUE(RoundTrip(row, w, 1, &coded));
    // Runs of at most 255, then end-of-line and end-of-bitmap.
    size_t runs = size_t((w + 254) / 255);
    EXPECT_EQ(coded.size(), runs * 2 + 4) << w;
  }
}

TEST(Rle8, RunsOf255And256SplitIntoFullRuns) {
  std::vector<uint8_t> coded;
  ASSERT_TRUE(RoundTrip(std::vector<uint8_t>(256, 9), 256, 1, &coded));
  const std::vector<uint8_t> want = {255, 9, 1, 9, 0, 0, 0, 1};
  EXPECT_EQ(coded, want);
  ASSERT_TRUE(RoundTrip(std::vector<uint8_t>(255, 9), 255, 1, &coded));
  const std::vector<uint8_t> want255 = {255, 9, 0, 0, 0, 1};
  EXPECT_EQ(coded, want255);
}

TEST(Rle8, RowsWithoutRepeatsUseAbsoluteRunsOfThreeOrMore) {
  for (int w : {1, 2, 3, 4, 5, 181, 254, 255, 256, 257, 258, 267, 511}) {
    std::vector<uint8_t> row;
    for (int x = 0; x < w; ++x) row.push_back(static_cast<uint8_t>(x * 7 + 1));
    std::vector<uint8_t> coded;
    ASSERT_TRUE(RoundTrip(row, w, 1, &coded));  // the decoder rejects short absolute runs
    if (w >= 3 && w <= 255) {
      EXPECT_EQ(coded[0], 0) << w;
      EXPECT_EQ(coded[1], w) << w;
      EXPECT_EQ(coded.size(), size_t(2 + w + (w & 1) + 4)) << w;
    }
  }
  // One and two pixels go as runs of one.
  std::vector<uint8_t> coded;
  ASSERT_TRUE(RoundTrip({4, 5}, 2, 1, &coded));
  const std::vector<uint8_t> want = {1, 4, 1, 5, 0, 0, 0, 1};
  EXPECT_EQ(coded, want);
}

TEST(Rle8, MixedShortRunsAndLiterals) {
  const std::vector<std::vector<uint8_t>> rows = {
      Row({{1, 1}, {2, 2}, {1, 3}, {3, 4}, {1, 5}}),
      Row({{1, 1}, {1, 2}, {3, 3}, {1, 4}, {1, 5}, {2, 6}}),
      Row({{2, 1}, {1, 2}, {1, 3}, {2, 1}, {1, 2}, {1, 3}}),
      Row({{1, 0}, {1, 1}, {1, 2}, {255, 3}, {1, 4}, {1, 5}}),
      Row({{300, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}}),
      Row({{1, 9}, {1, 8}, {2, 7}, {1, 6}, {1, 5}, {1, 4}, {3, 3}}),
  };
  for (const auto& row : rows) EXPECT_TRUE(RoundTrip(row, int(row.size()), 1));
}

TEST(Rle8, FramesAreStoredBottomUpWithOneEndOfLinePerRow) {
  // 3 x 2: top row all 1, bottom row all 2.
  std::vector<uint8_t> coded;
  ASSERT_TRUE(RoundTrip({1, 1, 1, 2, 2, 2}, 3, 2, &coded));
  const std::vector<uint8_t> want = {3, 2, 0, 0, 3, 1, 0, 0, 0, 1};
  EXPECT_EQ(coded, want);
  EXPECT_FALSE(art::Rle8EncodeFrame(coded.data(), 0, 1, coded));
  EXPECT_FALSE(art::Rle8EncodeFrame(coded.data(), 1, 0, coded));
}

TEST(Rle8, RandomFramesOfClipWidths) {
  std::mt19937 rng(20240611);
  for (int w : {80, 181, 267, 1, 2, 3, 255, 256, 511}) {
    for (int trial = 0; trial < 20; ++trial) {
      int h = 1 + int(rng() % 9);
      std::vector<uint8_t> f;
      // Runs of random length and value, sometimes long, sometimes single.
      while (f.size() < size_t(w) * h) {
        int len = rng() % 4 == 0 ? 1 + int(rng() % 400) : 1 + int(rng() % 3);
        uint8_t v = static_cast<uint8_t>(rng() % (trial % 2 ? 3 : 256));
        f.insert(f.end(), size_t(len), v);
      }
      f.resize(size_t(w) * h);
      ASSERT_TRUE(RoundTrip(f, w, h)) << "trial " << trial;
    }
  }
}

TEST(Rle8, GeneratorsOwnDecoderAgrees) {
  std::mt19937 rng(7);
  std::vector<uint8_t> f(181 * 5);
  for (auto& v : f) v = static_cast<uint8_t>(rng() % 4);
  std::vector<uint8_t> coded, back;
  ASSERT_TRUE(art::Rle8EncodeFrame(f.data(), 181, 5, coded));
  ASSERT_TRUE(art::Rle8DecodeFrame(coded.data(), coded.size(), 181, 5, back));
  EXPECT_EQ(back, f);
  // Without its end-of-bitmap the stream is refused.
  EXPECT_FALSE(art::Rle8DecodeFrame(coded.data(), coded.size() - 2, 181, 5, back));
}

}  // namespace
