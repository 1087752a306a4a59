// What the program relies on in the pictures: sizes, a light and calm
// background where the title texts go, a white emblem ground (it is ANDed
// onto the background), transparent icon corners, and clips whose corner
// colour is the transparent one and which really move.
#include "tools/art/pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

struct Box {
  int x0, y0, x1, y1;  // half-open
};

int Luma(const art::Image& img, int x, int y) {
  const uint8_t* p = &img.rgba[(size_t(y) * img.width + x) * 4];
  return (299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000;
}

struct Stats {
  int min_luma = 255;
  double mean_luma = 0;
  int max_step = 0;  // largest luma change between neighbours
};

Stats Measure(const art::Image& img, Box b) {
  Stats s;
  long sum = 0, n = 0;
  for (int y = b.y0; y < b.y1; ++y) {
    for (int x = b.x0; x < b.x1; ++x) {
      int l = Luma(img, x, y);
      s.min_luma = std::min(s.min_luma, l);
      sum += l;
      ++n;
      if (x + 1 < b.x1) s.max_step = std::max(s.max_step, std::abs(l - Luma(img, x + 1, y)));
      if (y + 1 < b.y1) s.max_step = std::max(s.max_step, std::abs(l - Luma(img, x, y + 1)));
    }
  }
  s.mean_luma = double(sum) / double(n);
  return s;
}

TEST(Pictures, BackgroundIsLightAndCalmWhereTheTextsGo) {
  art::Image bg = art::DrawTitleBackground();
  ASSERT_EQ(bg.width, 600);
  ASSERT_EQ(bg.height, 350);
  for (size_t k = 3; k < bg.rgba.size(); k += 4) ASSERT_EQ(bg.rgba[k], 255) << "opaque";
  const Box regions[] = {
      {12, 185, 300, 342},   // contact block
      {190, 0, 578, 186},    // product block
      {264, 191, 548, 347},  // under the emblem (its last rows are white)
  };
  for (const Box& b : regions) {
    SCOPED_TRACE(::testing::Message() << b.x0 << "," << b.y0 << "-" << b.x1 << "," << b.y1);
    Stats s = Measure(bg, b);
    EXPECT_GE(s.min_luma, 205);
    EXPECT_GE(s.mean_luma, 228.0);
    EXPECT_LE(s.max_step, 22) << "only faint grid lines";
  }
  // The motif in the upper left is there, and it is drawn in lines.
  Stats motif = Measure(bg, {20, 20, 190, 160});
  EXPECT_LE(motif.min_luma, 185);
  EXPECT_GE(motif.mean_luma, 215.0);
}

TEST(Pictures, EmblemIsLineArtOnWhite) {
  art::Image e = art::DrawEmblem();
  ASSERT_EQ(e.width, 284);
  ASSERT_EQ(e.height, 157);
  long white = 0;
  for (int y = 0; y < e.height; ++y) {
    for (int x = 0; x < e.width; ++x) {
      const uint8_t* p = &e.rgba[(size_t(y) * e.width + x) * 4];
      bool is_white = p[0] == 255 && p[1] == 255 && p[2] == 255;
      white += is_white;
      if (x < 2 || y < 2 || x >= e.width - 2 || y >= e.height - 2) {
        ASSERT_TRUE(is_white) << "border pixel " << x << "," << y;
      }
    }
  }
  EXPECT_GE(white, long(e.width) * e.height / 2) << "mostly white";
  // The left edge stays white next to the contact block's long lines.
  Stats left = Measure(e, {0, 0, 30, e.height});
  EXPECT_EQ(left.min_luma, 255);
  Stats all = Measure(e, {0, 0, e.width, e.height});
  EXPECT_LE(all.min_luma, 130) << "has dark strokes";
}

TEST(Pictures, IconsHaveTransparentCornersAndSolidMiddles) {
  for (art::Image (*draw)(int) : {art::DrawEarthIcon, art::DrawProductIcon}) {
    for (int n : {16, 32, 48}) {
      art::Image i = draw(n);
      ASSERT_EQ(i.width, n);
      ASSERT_EQ(i.height, n);
      auto alpha = [&](int x, int y) { return i.rgba[(size_t(y) * n + x) * 4 + 3]; };
      EXPECT_EQ(alpha(0, 0), 0);
      EXPECT_EQ(alpha(n - 1, 0), 0);
      EXPECT_EQ(alpha(n / 2, n / 2), 255);
      long opaque = 0;
      for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) opaque += alpha(x, y) >= 128;
      }
      EXPECT_GE(opaque, long(n) * n / 3) << n;
    }
  }
}

TEST(Pictures, ClipCornersAreTheTransparentColourAndFramesMove) {
  for (int id : {1001, 1002, 1003}) {
    SCOPED_TRACE(id);
    art::AviClip clip;
    ASSERT_TRUE(art::MakeClip(id, clip));
    const art::IndexedFrames& v = clip.video;
    ASSERT_EQ(v.palette.size(), 256u);
    const art::PaletteEntry bg = art::kClipBackground;
    EXPECT_EQ(v.palette[0].r, bg.r);
    EXPECT_EQ(v.palette[0].g, bg.g);
    EXPECT_EQ(v.palette[0].b, bg.b);
    // Only index 0 carries that colour: the drawing never turns transparent.
    for (int k = 1; k < 256; ++k) {
      EXPECT_FALSE(v.palette[k].r == bg.r && v.palette[k].g == bg.g && v.palette[k].b == bg.b) << k;
    }
    const int w = v.width, h = v.height;
    for (size_t f = 0; f < v.frames.size(); ++f) {
      const auto& px = v.frames[f];
      for (int y : {0, 1, h - 2, h - 1}) {
        for (int x : {0, 1, w - 2, w - 1}) EXPECT_EQ(px[size_t(y) * w + x], 0) << f << ":" << x << "," << y;
      }
      const auto& next = v.frames[(f + 1) % v.frames.size()];
      EXPECT_NE(px, next) << "frame " << f << " equals the next one";
      // Something is drawn: a good share of pixels are not background.
      long drawn = std::count_if(px.begin(), px.end(), [](uint8_t i) { return i != 0; });
      EXPECT_GE(drawn, long(w) * h / 8) << f;
    }
  }
}

}  // namespace
