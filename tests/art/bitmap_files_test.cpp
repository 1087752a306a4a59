// BMP and ICO files read back field by field.
#include "tools/art/bitmap_files.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/art/clip_reader.h"

namespace {

using cliptest::U16;
using cliptest::U32;

art::Image Pattern(int w, int h) {
  art::Image img;
  img.width = w;
  img.height = h;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      img.rgba.push_back(static_cast<uint8_t>(x * 13 + 1));
      img.rgba.push_back(static_cast<uint8_t>(y * 7 + 2));
      img.rgba.push_back(static_cast<uint8_t>(x + y + 3));
      img.rgba.push_back(static_cast<uint8_t>((x + y) % 2 ? 255 : 0));
    }
  }
  return img;
}

TEST(Bmp24, HeadersRowPaddingAndPixelOrder) {
  for (int w : {1, 2, 3, 4, 5, 181, 267, 284, 600}) {
    for (int h : {1, 3}) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
      art::Image img = Pattern(w, h);
      std::vector<uint8_t> f;
      ASSERT_TRUE(art::WriteBmp24(img, f));
      const uint32_t stride = (uint32_t(w) * 3 + 3) / 4 * 4;
      EXPECT_EQ(art::DibStride(w, 24), stride);
      ASSERT_EQ(f.size(), 54 + size_t(stride) * h);
      EXPECT_EQ(f[0], 'B');
      EXPECT_EQ(f[1], 'M');
      EXPECT_EQ(U32(&f[2]), f.size());
      EXPECT_EQ(U32(&f[10]), 54u);
      EXPECT_EQ(U32(&f[14]), 40u);
      EXPECT_EQ(static_cast<int32_t>(U32(&f[18])), w);
      EXPECT_EQ(static_cast<int32_t>(U32(&f[22])), h) << "positive: bottom-up";
      EXPECT_EQ(U16(&f[26]), 1);
      EXPECT_EQ(U16(&f[28]), 24);
      EXPECT_EQ(U32(&f[30]), 0u) << "BI_RGB";
      EXPECT_EQ(U32(&f[34]), stride * uint32_t(h));
      for (int y = 0; y < h; ++y) {
        // File row r holds picture row h - 1 - r.
        const uint8_t* row = &f[54 + size_t(h - 1 - y) * stride];
        for (int x = 0; x < w; ++x) {
          const uint8_t* p = &img.rgba[(size_t(y) * w + x) * 4];
          ASSERT_EQ(row[x * 3 + 0], p[2]) << x << "," << y;
          ASSERT_EQ(row[x * 3 + 1], p[1]) << x << "," << y;
          ASSERT_EQ(row[x * 3 + 2], p[0]) << x << "," << y;
        }
        for (uint32_t k = uint32_t(w) * 3; k < stride; ++k) EXPECT_EQ(row[k], 0) << "padding";
      }
    }
  }
}

TEST(Bmp24, RefusesEmptyOrShortImages) {
  std::vector<uint8_t> f;
  art::Image img;
  EXPECT_FALSE(art::WriteBmp24(img, f));
  img = Pattern(3, 3);
  img.rgba.pop_back();
  EXPECT_FALSE(art::WriteBmp24(img, f));
}

TEST(Ico, DirectoryImagesAndMasks) {
  std::vector<art::Image> pics = {Pattern(48, 48), Pattern(32, 32), Pattern(16, 16)};
  std::vector<uint8_t> f;
  ASSERT_TRUE(art::WriteIco(pics, f));
  ASSERT_GE(f.size(), 6u + 3 * 16);
  EXPECT_EQ(U16(&f[0]), 0);
  EXPECT_EQ(U16(&f[2]), 1) << "icon";
  ASSERT_EQ(U16(&f[4]), 3);
  uint32_t expect_offset = 6 + 3 * 16;
  for (size_t k = 0; k < pics.size(); ++k) {
    SCOPED_TRACE(k);
    const uint8_t* e = &f[6 + k * 16];
    const int n = pics[k].width;
    EXPECT_EQ(e[0], n);
    EXPECT_EQ(e[1], n);
    EXPECT_EQ(U16(e + 4), 1);
    EXPECT_EQ(U16(e + 6), 32);
    const uint32_t mask_stride = (uint32_t(n) + 31) / 32 * 4;
    const uint32_t bytes = 40 + uint32_t(n) * n * 4 + mask_stride * n;
    EXPECT_EQ(U32(e + 8), bytes);
    EXPECT_EQ(U32(e + 12), expect_offset);
    ASSERT_LE(size_t(expect_offset) + bytes, f.size());
    const uint8_t* b = &f[expect_offset];
    EXPECT_EQ(U32(b), 40u);
    EXPECT_EQ(static_cast<int32_t>(U32(b + 4)), n);
    EXPECT_EQ(static_cast<int32_t>(U32(b + 8)), 2 * n) << "colour image and mask";
    EXPECT_EQ(U16(b + 14), 32);
    // Bottom-up BGRA, then the mask: set where the pixel is transparent.
    const uint8_t* colour = b + 40;
    const uint8_t* mask = colour + size_t(n) * n * 4;
    for (int y = 0; y < n; ++y) {
      for (int x = 0; x < n; ++x) {
        const uint8_t* p = &pics[k].rgba[(size_t(y) * n + x) * 4];
        const uint8_t* q = colour + (size_t(n - 1 - y) * n + x) * 4;
        ASSERT_EQ(q[0], p[2]);
        ASSERT_EQ(q[3], p[3]);
        bool bit = (mask[size_t(n - 1 - y) * mask_stride + x / 8] >> (7 - x % 8)) & 1;
        ASSERT_EQ(bit, p[3] < 128) << x << "," << y;
      }
    }
    expect_offset += bytes;
  }
  EXPECT_EQ(f.size(), size_t(expect_offset));
}

TEST(Ico, RefusesOddPictures) {
  std::vector<uint8_t> f;
  EXPECT_FALSE(art::WriteIco({}, f));
  EXPECT_FALSE(art::WriteIco({Pattern(32, 16)}, f));
  EXPECT_FALSE(art::WriteIco({Pattern(300, 300)}, f));
}

}  // namespace
