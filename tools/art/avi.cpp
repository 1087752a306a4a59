#include "tools/art/avi.h"

#include <algorithm>
#include <cstring>

#include "tools/art/rle8.h"

namespace art {

namespace {

const uint32_t kAvifHasIndex = 0x10;
const uint32_t kAviifKeyFrame = 0x10;
const uint32_t kBiRle8 = 1;

void SetU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) out[at + k] = static_cast<uint8_t>(v >> (8 * k));
}

uint32_t GetU32(const std::vector<uint8_t>& in, size_t at) {
  return uint32_t(in[at]) | (uint32_t(in[at + 1]) << 8) | (uint32_t(in[at + 2]) << 16) |
         (uint32_t(in[at + 3]) << 24);
}

bool IsId(const std::vector<uint8_t>& in, size_t at, const char* id) {
  return at + 4 <= in.size() && std::memcmp(&in[at], id, 4) == 0;
}

// Finds the chunk `id` (or a LIST of form `id` when `list`) among the chunks
// in [begin, end); gives the offset of its data and its size.
bool FindChunk(const std::vector<uint8_t>& in, size_t begin, size_t end, const char* id,
               bool list, size_t* data, uint32_t* size) {
  size_t p = begin;
  while (p + 8 <= end) {
    uint32_t n = GetU32(in, p + 4);
    if (p + 8 + n > end) return false;
    if (list ? (IsId(in, p, "LIST") && n >= 4 && IsId(in, p + 8, id)) : IsId(in, p, id)) {
      *data = list ? p + 12 : p + 8;
      *size = list ? n - 4 : n;
      return true;
    }
    p += 8 + n + (n & 1);
  }
  return false;
}

}  // namespace

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

void PutFourCC(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }

size_t RiffOpen(std::vector<uint8_t>& out, const char* id, const char* form) {
  PutFourCC(out, id);
  size_t at = out.size();
  PutU32(out, 0);
  if (form) PutFourCC(out, form);
  return at;
}

void RiffClose(std::vector<uint8_t>& out, size_t size_at) {
  size_t size = out.size() - size_at - 4;
  SetU32(out, size_at, static_cast<uint32_t>(size));
  if (size & 1) out.push_back(0);
}

void RiffChunk(std::vector<uint8_t>& out, const char* id, const uint8_t* data, size_t size) {
  size_t at = RiffOpen(out, id);
  if (size) out.insert(out.end(), data, data + size);
  RiffClose(out, at);
}

bool WriteAvi(const AviClip& clip, std::vector<uint8_t>& out) {
  const IndexedFrames& v = clip.video;
  const size_t pixels = size_t(v.width) * v.height;
  if (v.width <= 0 || v.height <= 0 || v.frames.empty() || v.palette.size() != 256 ||
      clip.microseconds_per_frame == 0) {
    return false;
  }
  std::vector<std::vector<uint8_t>> coded;
  uint32_t largest = 0;
  for (const auto& f : v.frames) {
    if (f.size() != pixels) return false;
    std::vector<uint8_t> c;
    Rle8EncodeFrame(f.data(), v.width, v.height, c);
    largest = std::max(largest, static_cast<uint32_t>(c.size()));
    coded.push_back(std::move(c));
  }
  const uint32_t frames = static_cast<uint32_t>(coded.size());
  const uint32_t us = clip.microseconds_per_frame;
  // Whole bytes per second at the frame rate, rounded up.
  const uint32_t max_bytes_per_sec =
      static_cast<uint32_t>((uint64_t(largest) * 1000000 + us - 1) / us);

  out.clear();
  size_t riff = RiffOpen(out, "RIFF", "AVI ");
  size_t hdrl = RiffOpen(out, "LIST", "hdrl");

  size_t avih = RiffOpen(out, "avih");
  PutU32(out, us);
  PutU32(out, max_bytes_per_sec);
  PutU32(out, 0);             // padding granularity
  PutU32(out, kAvifHasIndex);
  PutU32(out, frames);
  PutU32(out, 0);             // initial frames
  PutU32(out, 1);             // streams
  PutU32(out, largest);       // suggested buffer size
  PutU32(out, static_cast<uint32_t>(v.width));
  PutU32(out, static_cast<uint32_t>(v.height));
  for (int k = 0; k < 4; ++k) PutU32(out, 0);
  RiffClose(out, avih);

  size_t strl = RiffOpen(out, "LIST", "strl");
  size_t strh = RiffOpen(out, "strh");
  PutFourCC(out, "vids");
  PutFourCC(out, "mrle");
  PutU32(out, 0);             // flags
  PutU16(out, 0);             // priority
  PutU16(out, 0);             // language
  PutU32(out, 0);             // initial frames
  PutU32(out, us);            // scale / rate = seconds per frame
  PutU32(out, 1000000);
  PutU32(out, 0);             // start
  PutU32(out, frames);        // length
  PutU32(out, largest);       // suggested buffer size
  PutU32(out, 0xFFFFFFFFu);   // quality: default
  PutU32(out, 0);             // sample size: varies
  PutU16(out, 0);             // frame rectangle
  PutU16(out, 0);
  PutU16(out, static_cast<uint32_t>(v.width));
  PutU16(out, static_cast<uint32_t>(v.height));
  RiffClose(out, strh);

  size_t strf = RiffOpen(out, "strf");
  PutU32(out, 40);
  PutU32(out, static_cast<uint32_t>(v.width));
  PutU32(out, static_cast<uint32_t>(v.height));  // positive: bottom-up rows
  PutU16(out, 1);
  PutU16(out, 8);
  PutU32(out, kBiRle8);
  // The largest coded frame, so a decoder that trusts this size reads it all.
  PutU32(out, largest);
  PutU32(out, 0);
  PutU32(out, 0);
  PutU32(out, 256);
  PutU32(out, 0);
  for (const PaletteEntry& e : v.palette) {
    out.push_back(e.b);
    out.push_back(e.g);
    out.push_back(e.r);
    out.push_back(0);
  }
  RiffClose(out, strf);
  RiffClose(out, strl);
  RiffClose(out, hdrl);

  size_t movi = RiffOpen(out, "LIST", "movi");
  const size_t movi_id = movi + 4;  // index offsets count from the 'movi' id
  std::vector<uint32_t> offsets;
  for (const auto& c : coded) {
    offsets.push_back(static_cast<uint32_t>(out.size() - movi_id));
    RiffChunk(out, "00dc", c.data(), c.size());
  }
  RiffClose(out, movi);

  size_t idx1 = RiffOpen(out, "idx1");
  for (uint32_t k = 0; k < frames; ++k) {
    PutFourCC(out, "00dc");
    PutU32(out, kAviifKeyFrame);
    PutU32(out, offsets[k]);
    PutU32(out, static_cast<uint32_t>(coded[k].size()));
  }
  RiffClose(out, idx1);
  RiffClose(out, riff);
  return true;
}

bool ReadAviFrames(const std::vector<uint8_t>& file, IndexedFrames& out,
                   uint32_t* microseconds_per_frame) {
  if (file.size() < 12 || !IsId(file, 0, "RIFF") || !IsId(file, 8, "AVI ")) return false;
  size_t end = std::min(file.size(), size_t(GetU32(file, 4)) + 8);
  size_t hdrl, avih, strl, strf, movi;
  uint32_t n_hdrl, n_avih, n_strl, n_strf, n_movi;
  if (!FindChunk(file, 12, end, "hdrl", true, &hdrl, &n_hdrl) ||
      !FindChunk(file, hdrl, hdrl + n_hdrl, "avih", false, &avih, &n_avih) || n_avih < 40 ||
      !FindChunk(file, hdrl, hdrl + n_hdrl, "strl", true, &strl, &n_strl) ||
      !FindChunk(file, strl, strl + n_strl, "strf", false, &strf, &n_strf) ||
      n_strf < 40 + 256 * 4 ||
      !FindChunk(file, 12, end, "movi", true, &movi, &n_movi)) {
    return false;
  }
  *microseconds_per_frame = GetU32(file, avih);
  uint32_t frames = GetU32(file, avih + 16);
  out.width = static_cast<int>(GetU32(file, strf + 4));
  out.height = static_cast<int>(GetU32(file, strf + 8));
  if (GetU32(file, strf + 16) != kBiRle8 || out.width <= 0 || out.height <= 0) return false;
  out.palette.clear();
  for (int k = 0; k < 256; ++k) {
    size_t q = strf + 40 + size_t(k) * 4;
    out.palette.push_back({file[q + 2], file[q + 1], file[q]});
  }
  out.frames.clear();
  size_t p = movi;
  while (p + 8 <= movi + n_movi && out.frames.size() < frames) {
    uint32_t n = GetU32(file, p + 4);
    if (p + 8 + n > movi + n_movi) return false;
    if (IsId(file, p, "00dc")) {
      std::vector<uint8_t> f;
      if (!Rle8DecodeFrame(&file[p + 8], n, out.width, out.height, f)) return false;
      out.frames.push_back(std::move(f));
    }
    p += 8 + n + (n & 1);
  }
  return out.frames.size() == frames;
}

}  // namespace art
