#include "tools/art/palette.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace art {

namespace {

struct Hist {
  uint32_t rgb;  // 0xRRGGBB
  uint32_t count;
};

int Channel(uint32_t rgb, int ch) { return static_cast<int>((rgb >> (16 - 8 * ch)) & 0xFF); }

struct Box {
  size_t begin, end;  // range in the histogram vector
};

// The channel with the widest spread in the box, and that spread.
int WidestChannel(const std::vector<Hist>& h, const Box& b, int* spread) {
  int best = 0, best_range = -1;
  for (int ch = 0; ch < 3; ++ch) {
    int lo = 255, hi = 0;
    for (size_t k = b.begin; k < b.end; ++k) {
      int v = Channel(h[k].rgb, ch);
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    // Green weighs more: the eye sees its steps best.
    int range = (hi - lo) * (ch == 1 ? 4 : 3);
    if (range > best_range) {
      best_range = range;
      best = ch;
    }
  }
  *spread = best_range;
  return best;
}

}  // namespace

bool QuantizeFrames(const std::vector<Image>& frames, PaletteEntry background, IndexedFrames& out) {
  if (frames.empty() || frames[0].width <= 0 || frames[0].height <= 0) return false;
  const int w = frames[0].width, h = frames[0].height;
  const uint32_t bg = (uint32_t(background.r) << 16) | (uint32_t(background.g) << 8) | background.b;
  std::map<uint32_t, uint32_t> counts;
  for (const Image& f : frames) {
    if (f.width != w || f.height != h || f.rgba.size() != size_t(w) * h * 4) return false;
    for (size_t k = 0; k < size_t(w) * h; ++k) {
      const uint8_t* p = &f.rgba[k * 4];
      uint32_t rgb = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
      if (rgb != bg) ++counts[rgb];
    }
  }
  std::vector<Hist> hist;
  for (const auto& kv : counts) hist.push_back({kv.first, kv.second});

  // Median cut: split the box with the widest spread until 255 boxes.
  std::vector<Box> boxes;
  if (!hist.empty()) boxes.push_back({0, hist.size()});
  while (boxes.size() < 255) {
    int pick = -1, pick_spread = 0, pick_ch = 0;
    for (size_t k = 0; k < boxes.size(); ++k) {
      if (boxes[k].end - boxes[k].begin < 2) continue;
      int spread;
      int ch = WidestChannel(hist, boxes[k], &spread);
      if (spread > pick_spread) {
        pick = static_cast<int>(k);
        pick_spread = spread;
        pick_ch = ch;
      }
    }
    if (pick < 0) break;
    Box b = boxes[pick];
    std::sort(hist.begin() + b.begin, hist.begin() + b.end, [pick_ch](const Hist& x, const Hist& y) {
      int vx = Channel(x.rgb, pick_ch), vy = Channel(y.rgb, pick_ch);
      return vx != vy ? vx < vy : x.rgb < y.rgb;
    });
    uint64_t total = 0;
    for (size_t k = b.begin; k < b.end; ++k) total += hist[k].count;
    uint64_t acc = 0;
    size_t cut = b.begin + 1;
    for (size_t k = b.begin; k < b.end - 1; ++k) {
      acc += hist[k].count;
      cut = k + 1;
      if (acc * 2 >= total) break;
    }
    boxes[pick] = {b.begin, cut};
    boxes.push_back({cut, b.end});
  }

  out.width = w;
  out.height = h;
  out.palette.assign(256, PaletteEntry{0, 0, 0});
  out.palette[0] = background;
  std::unordered_map<uint32_t, uint8_t> index_of;
  for (size_t k = 0; k < boxes.size(); ++k) {
    uint64_t sum[3] = {0, 0, 0}, n = 0;
    for (size_t i = boxes[k].begin; i < boxes[k].end; ++i) {
      for (int ch = 0; ch < 3; ++ch) sum[ch] += uint64_t(Channel(hist[i].rgb, ch)) * hist[i].count;
      n += hist[i].count;
    }
    PaletteEntry e{uint8_t((sum[0] + n / 2) / n), uint8_t((sum[1] + n / 2) / n),
                   uint8_t((sum[2] + n / 2) / n)};
    if (e.r == background.r && e.g == background.g && e.b == background.b) {
      e.b = static_cast<uint8_t>(e.b > 0 ? e.b - 1 : 1);  // never the transparent colour
    }
    out.palette[k + 1] = e;
    for (size_t i = boxes[k].begin; i < boxes[k].end; ++i) index_of[hist[i].rgb] = uint8_t(k + 1);
  }
  // Box members map to their box; refine to the nearest entry, which also
  // catches colours near a box edge.
  for (auto& kv : index_of) {
    int best = kv.second;
    long best_d = -1;
    for (size_t k = 1; k <= boxes.size(); ++k) {
      long dr = Channel(kv.first, 0) - out.palette[k].r;
      long dg = Channel(kv.first, 1) - out.palette[k].g;
      long db = Channel(kv.first, 2) - out.palette[k].b;
      long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
      if (best_d < 0 || d < best_d) {
        best_d = d;
        best = static_cast<int>(k);
      }
    }
    kv.second = static_cast<uint8_t>(best);
  }

  out.frames.clear();
  for (const Image& f : frames) {
    std::vector<uint8_t> idx(size_t(w) * h);
    for (size_t k = 0; k < idx.size(); ++k) {
      const uint8_t* p = &f.rgba[k * 4];
      uint32_t rgb = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
      idx[k] = rgb == bg ? 0 : index_of[rgb];
    }
    out.frames.push_back(std::move(idx));
  }
  return true;
}

}  // namespace art
