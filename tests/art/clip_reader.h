// The tests' own reading of the animation clips: a strict RLE8 decoder and a
// small RIFF/AVI walker, written apart from the generator so that a fault in
// the writer is not mirrored here. Used by the native and the Wine tests.
#ifndef ZELTA_TESTS_ART_CLIP_READER_H
#define ZELTA_TESTS_ART_CLIP_READER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace cliptest {

inline uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Decodes one frame into bottom-up rows (row 0 is the bottom one, as in the
// stream). Strict: every row must be filled exactly to `width` and closed
// with end-of-line, absolute runs must hold 3 or more indices and keep word
// alignment, the frame must close with end-of-bitmap right after the last
// row's end-of-line, with nothing after it. On failure `error` says why.
inline bool DecodeRle8(const uint8_t* data, size_t size, int width, int height,
                       std::vector<uint8_t>& bottom_up, std::string& error) {
  bottom_up.assign(size_t(width) * height, 0xFF);
  int x = 0, y = 0;
  size_t p = 0;
  while (true) {
    if (p + 2 > size) {
      error = "stream ends without end-of-bitmap";
      return false;
    }
    uint8_t n = data[p], v = data[p + 1];
    p += 2;
    if (n != 0) {
      if (y >= height || x + n > width) {
        error = "encoded run past the row end";
        return false;
      }
      for (int k = 0; k < n; ++k) bottom_up[size_t(y) * width + x++] = v;
      continue;
    }
    if (v == 0) {  // end of line
      if (y >= height || x != width) {
        error = "end-of-line before the row is full";
        return false;
      }
      x = 0;
      ++y;
    } else if (v == 1) {  // end of bitmap
      if (y != height || x != 0) {
        error = "end-of-bitmap before every row";
        return false;
      }
      if (p != size) {
        error = "bytes after end-of-bitmap";
        return false;
      }
      return true;
    } else if (v == 2) {
      error = "delta code in a key frame";
      return false;
    } else {
      size_t padded = v + (v & 1);
      if (p + padded > size || y >= height || x + v > width) {
        error = "absolute run past the row end or the data";
        return false;
      }
      for (int k = 0; k < v; ++k) bottom_up[size_t(y) * width + x++] = data[p + k];
      if ((v & 1) && data[p + v] != 0) {
        error = "pad byte of an absolute run is not zero";
        return false;
      }
      p += padded;
    }
  }
}

struct Chunk {
  std::string id;    // four characters
  std::string form;  // for RIFF and LIST
  size_t header;     // offset of the id
  uint32_t size;     // as stored
  size_t data;       // offset of the data (after the form for lists)
};

// The chunks directly inside [begin, end), each starting on an even offset
// and each ending within the range (after its pad byte). False otherwise.
inline bool Children(const std::vector<uint8_t>& f, size_t begin, size_t end,
                     std::vector<Chunk>& out, std::string& error) {
  out.clear();
  size_t p = begin;
  while (p < end) {
    if (p & 1) {
      error = "chunk at an odd offset";
      return false;
    }
    if (p + 8 > end) {
      error = "truncated chunk header";
      return false;
    }
    Chunk c;
    c.id.assign(reinterpret_cast<const char*>(&f[p]), 4);
    c.header = p;
    c.size = U32(&f[p + 4]);
    c.data = p + 8;
    if (c.id == "RIFF" || c.id == "LIST") {
      if (c.size < 4) {
        error = "list without form";
        return false;
      }
      c.form.assign(reinterpret_cast<const char*>(&f[p + 8]), 4);
      c.data = p + 12;
    }
    size_t next = p + 8 + c.size + (c.size & 1);
    if (next > end) {
      error = "chunk " + c.id + " runs past its parent";
      return false;
    }
    if ((c.size & 1) && f[p + 8 + c.size] != 0) {
      error = "pad byte of " + c.id + " is not zero";
      return false;
    }
    out.push_back(c);
    p = next;
  }
  return true;
}

inline const Chunk* Find(const std::vector<Chunk>& chunks, const char* id, const char* form = "") {
  for (const Chunk& c : chunks) {
    if (c.id == id && c.form == form) return &c;
  }
  return nullptr;
}

// What the tests look at in a clip.
struct Clip {
  // avih
  uint32_t us_per_frame = 0, max_bytes_per_sec = 0, flags = 0, total_frames = 0, streams = 0;
  uint32_t avih_buffer = 0, width = 0, height = 0;
  // strh
  std::string type, handler;
  uint32_t scale = 0, rate = 0, length = 0, strh_buffer = 0;
  // strf
  uint32_t strf_size = 0, bi_size = 0, bi_compression = 0, bi_size_image = 0, clr_used = 0;
  int32_t bi_width = 0, bi_height = 0;
  uint16_t planes = 0, bit_count = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  // movi and idx1
  size_t movi_id = 0;                 // offset of the 'movi' form type
  std::vector<Chunk> frames;          // the '00dc' chunks, in order
  size_t other_movi_chunks = 0;
  struct IndexEntry {
    std::string id;
    uint32_t flags, offset, size;
  };
  std::vector<IndexEntry> index;
  bool has_index = false;
};

inline bool ReadClip(const std::vector<uint8_t>& f, Clip& clip, std::string& error) {
  std::vector<Chunk> top, riff, hdrl, strl, movi;
  if (!Children(f, 0, f.size(), top, error)) return false;
  if (top.size() != 1 || top[0].id != "RIFF" || top[0].form != "AVI ") {
    error = "not one RIFF 'AVI ' chunk";
    return false;
  }
  if (top[0].size + 8 != f.size()) {
    error = "RIFF size does not match the file";
    return false;
  }
  if (!Children(f, top[0].data, top[0].header + 8 + top[0].size, riff, error)) return false;
  const Chunk* h = Find(riff, "LIST", "hdrl");
  const Chunk* m = Find(riff, "LIST", "movi");
  const Chunk* ix = Find(riff, "idx1");
  if (!h || !m) {
    error = "no hdrl or movi list";
    return false;
  }
  if (!Children(f, h->data, h->header + 8 + h->size, hdrl, error)) return false;
  const Chunk* avih = Find(hdrl, "avih");
  const Chunk* sl = Find(hdrl, "LIST", "strl");
  if (!avih || avih->size != 56 || !sl) {
    error = "no 56-byte avih or no strl";
    return false;
  }
  const uint8_t* a = &f[avih->data];
  clip.us_per_frame = U32(a);
  clip.max_bytes_per_sec = U32(a + 4);
  clip.flags = U32(a + 12);
  clip.total_frames = U32(a + 16);
  clip.streams = U32(a + 24);
  clip.avih_buffer = U32(a + 28);
  clip.width = U32(a + 32);
  clip.height = U32(a + 36);

  if (!Children(f, sl->data, sl->header + 8 + sl->size, strl, error)) return false;
  const Chunk* strh = Find(strl, "strh");
  const Chunk* strf = Find(strl, "strf");
  if (!strh || strh->size != 56 || !strf || strf->size < 40) {
    error = "no 56-byte strh or no strf";
    return false;
  }
  const uint8_t* s = &f[strh->data];
  clip.type.assign(reinterpret_cast<const char*>(s), 4);
  clip.handler.assign(reinterpret_cast<const char*>(s + 4), 4);
  clip.scale = U32(s + 20);
  clip.rate = U32(s + 24);
  clip.length = U32(s + 32);
  clip.strh_buffer = U32(s + 36);
  const uint8_t* b = &f[strf->data];
  clip.strf_size = strf->size;
  clip.bi_size = U32(b);
  clip.bi_width = static_cast<int32_t>(U32(b + 4));
  clip.bi_height = static_cast<int32_t>(U32(b + 8));
  clip.planes = U16(b + 12);
  clip.bit_count = U16(b + 14);
  clip.bi_compression = U32(b + 16);
  clip.bi_size_image = U32(b + 20);
  clip.clr_used = U32(b + 32);
  clip.palette.clear();
  for (size_t k = 0; 40 + k * 4 + 4 <= strf->size; ++k) {
    const uint8_t* q = b + 40 + k * 4;
    clip.palette.push_back(uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0]);
  }

  if (!Children(f, m->data, m->header + 8 + m->size, movi, error)) return false;
  clip.movi_id = m->header + 8;
  clip.frames.clear();
  clip.other_movi_chunks = 0;
  for (const Chunk& c : movi) {
    if (c.id == "00dc") {
      clip.frames.push_back(c);
    } else {
      ++clip.other_movi_chunks;
    }
  }
  clip.has_index = ix != nullptr;
  clip.index.clear();
  if (ix) {
    if (ix->size % 16) {
      error = "idx1 size is not a multiple of 16";
      return false;
    }
    for (size_t p = ix->data; p < ix->data + ix->size; p += 16) {
      clip.index.push_back({std::string(reinterpret_cast<const char*>(&f[p]), 4), U32(&f[p + 4]),
                            U32(&f[p + 8]), U32(&f[p + 12])});
    }
  }
  return true;
}

}  // namespace cliptest

#endif
