// The clip files read back with the tests' own RIFF walker: header fields,
// chunk sizes and padding, the frame chunks and the index.
#include "tools/art/avi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/art/clip_reader.h"
#include "tools/art/pictures.h"

namespace {

art::AviClip SmallClip(int width, int height, int frames, uint32_t us) {
  art::AviClip clip;
  clip.microseconds_per_frame = us;
  clip.video.width = width;
  clip.video.height = height;
  for (int k = 0; k < 256; ++k) {
    clip.video.palette.push_back({uint8_t(k), uint8_t(255 - k), uint8_t(k * 3)});
  }
  for (int f = 0; f < frames; ++f) {
    std::vector<uint8_t> px;
    for (int i = 0; i < width * height; ++i) px.push_back(static_cast<uint8_t>((i / 3 + f) % 5));
    clip.video.frames.push_back(px);
  }
  return clip;
}

// Everything a clip file must hold for its indexed frames.
void ExpectClip(const std::vector<uint8_t>& file, const art::AviClip& source) {
  const art::IndexedFrames& v = source.video;
  const uint32_t frames = static_cast<uint32_t>(v.frames.size());
  cliptest::Clip clip;
  std::string error;
  ASSERT_TRUE(cliptest::ReadClip(file, clip, error)) << error;

  EXPECT_EQ(clip.us_per_frame, source.microseconds_per_frame);
  EXPECT_EQ(clip.total_frames, frames);
  EXPECT_EQ(clip.streams, 1u);
  EXPECT_EQ(clip.flags & 0x10u, 0x10u) << "AVIF_HASINDEX";
  EXPECT_EQ(clip.width, uint32_t(v.width));
  EXPECT_EQ(clip.height, uint32_t(v.height));

  EXPECT_EQ(clip.type, "vids");
  ASSERT_GT(clip.rate, 0u);
  EXPECT_EQ(uint64_t(clip.scale) * 1000000 / clip.rate, source.microseconds_per_frame);
  EXPECT_EQ(clip.length, frames);

  EXPECT_EQ(clip.strf_size, 40u + 256 * 4);
  EXPECT_EQ(clip.bi_size, 40u);
  EXPECT_EQ(clip.bi_width, v.width);
  EXPECT_EQ(clip.bi_height, v.height) << "positive height: bottom-up rows";
  EXPECT_EQ(clip.planes, 1);
  EXPECT_EQ(clip.bit_count, 8);
  EXPECT_EQ(clip.bi_compression, 1u) << "BI_RLE8";
  EXPECT_EQ(clip.clr_used, 256u);
  ASSERT_EQ(clip.palette.size(), 256u);
  for (int k = 0; k < 256; ++k) {
    uint32_t want = uint32_t(v.palette[k].r) << 16 | uint32_t(v.palette[k].g) << 8 | v.palette[k].b;
    EXPECT_EQ(clip.palette[k], want) << "palette entry " << k;
  }

  // Exactly one '00dc' chunk per frame, each decoding to its picture.
  EXPECT_EQ(clip.other_movi_chunks, 0u);
  ASSERT_EQ(clip.frames.size(), size_t(frames));
  uint32_t largest = 0;
  for (uint32_t f = 0; f < frames; ++f) {
    const cliptest::Chunk& c = clip.frames[f];
    largest = std::max(largest, c.size);
    std::vector<uint8_t> bottom_up;
    ASSERT_TRUE(cliptest::DecodeRle8(&file[c.data], c.size, v.width, v.height, bottom_up, error))
        << "frame " << f << ": " << error;
    for (int y = 0; y < v.height; ++y) {
      for (int x = 0; x < v.width; ++x) {
        ASSERT_EQ(bottom_up[size_t(v.height - 1 - y) * v.width + x],
                  v.frames[f][size_t(y) * v.width + x])
            << "frame " << f << " pixel " << x << "," << y;
      }
    }
  }
  // Readers size their buffers from these.
  EXPECT_GE(clip.avih_buffer, largest);
  EXPECT_GE(clip.strh_buffer, largest);
  EXPECT_GE(clip.bi_size_image, largest);
  EXPECT_GE(uint64_t(clip.max_bytes_per_sec) * source.microseconds_per_frame,
            uint64_t(largest) * 1000000);

  // The index: one key-frame entry per frame, offsets from the 'movi' id.
  ASSERT_TRUE(clip.has_index);
  ASSERT_EQ(clip.index.size(), size_t(frames));
  for (uint32_t f = 0; f < frames; ++f) {
    const auto& e = clip.index[f];
    EXPECT_EQ(e.id, "00dc");
    EXPECT_EQ(e.flags & 0x10u, 0x10u) << "AVIIF_KEYFRAME";
    EXPECT_EQ(clip.movi_id + e.offset, clip.frames[f].header) << "frame " << f;
    EXPECT_EQ(e.size, clip.frames[f].size) << "frame " << f;
  }
}

TEST(RiffChunks, OddSizesArePaddedButNotCounted) {
  std::vector<uint8_t> out;
  size_t list = art::RiffOpen(out, "LIST", "test");
  const uint8_t three[] = {1, 2, 3};
  art::RiffChunk(out, "abcd", three, 3);
  art::RiffChunk(out, "efgh", three, 2);
  art::RiffClose(out, list);
  // LIST(8) + form(4) + abcd(8 + 3 + pad) + efgh(8 + 2)
  ASSERT_EQ(out.size(), 8u + 4 + 12 + 10);
  EXPECT_EQ(cliptest::U32(&out[4]), 4u + 12 + 10);
  EXPECT_EQ(cliptest::U32(&out[16]), 3u);
  EXPECT_EQ(out[23], 0) << "pad byte";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&out[24]), 4), "efgh");
  EXPECT_EQ(cliptest::U32(&out[28]), 2u);

  // An odd list is padded too, and its parent counts the pad.
  out.clear();
  size_t outer = art::RiffOpen(out, "RIFF", "TEST");
  size_t inner = art::RiffOpen(out, "LIST", "odd ");
  art::RiffChunk(out, "one ", three, 1);
  art::RiffClose(out, inner);
  art::RiffClose(out, outer);
  std::vector<cliptest::Chunk> top;
  std::string error;
  ASSERT_TRUE(cliptest::Children(out, 0, out.size(), top, error)) << error;
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0].size + 8, out.size());
  EXPECT_EQ(out.size() % 2, 0u);
}

TEST(AviWriter, SmallClipsOfOddSizesReadBack) {
  for (int w : {1, 3, 5, 181}) {
    for (int h : {1, 2, 7}) {
      art::AviClip clip = SmallClip(w, h, 3, 80000);
      std::vector<uint8_t> file;
      ASSERT_TRUE(art::WriteAvi(clip, file));
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
      ExpectClip(file, clip);
    }
  }
}

TEST(AviWriter, RefusesInconsistentClips) {
  std::vector<uint8_t> file;
  art::AviClip clip = SmallClip(4, 4, 2, 1000);
  clip.video.frames.clear();
  EXPECT_FALSE(art::WriteAvi(clip, file));
  clip = SmallClip(4, 4, 2, 1000);
  clip.video.palette.pop_back();
  EXPECT_FALSE(art::WriteAvi(clip, file));
  clip = SmallClip(4, 4, 2, 1000);
  clip.video.frames[1].pop_back();
  EXPECT_FALSE(art::WriteAvi(clip, file));
  clip = SmallClip(4, 4, 2, 0);
  EXPECT_FALSE(art::WriteAvi(clip, file));
}

TEST(AviWriter, ProgressClipsHaveTheirSizesFramesAndRates) {
  struct Want {
    int id, width, height, frames;
    uint32_t us;
  };
  const Want wants[] = {{1001, 80, 50, 29, 166666}, {1002, 181, 72, 25, 120000},
                        {1003, 267, 85, 51, 80000}};
  for (const Want& want : wants) {
    SCOPED_TRACE(want.id);
    art::AviClip clip;
    ASSERT_TRUE(art::MakeClip(want.id, clip));
    EXPECT_EQ(clip.video.width, want.width);
    EXPECT_EQ(clip.video.height, want.height);
    EXPECT_EQ(clip.video.frames.size(), size_t(want.frames));
    EXPECT_EQ(clip.microseconds_per_frame, want.us);
    std::vector<uint8_t> file;
    ASSERT_TRUE(art::WriteAvi(clip, file));
    ExpectClip(file, clip);

    // The generator's own reader (used to look at frames) agrees.
    art::IndexedFrames back;
    uint32_t us = 0;
    ASSERT_TRUE(art::ReadAviFrames(file, back, &us));
    EXPECT_EQ(us, want.us);
    EXPECT_EQ(back.frames, clip.video.frames);
  }
  art::AviClip none;
  EXPECT_FALSE(art::MakeClip(1004, none));
}

}  // namespace
