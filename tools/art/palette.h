// Reduction of true-colour frames to one shared 256-entry palette for the
// 8-bit animation clips.
#ifndef ZELTA_TOOLS_ART_PALETTE_H
#define ZELTA_TOOLS_ART_PALETTE_H

#include <cstdint>
#include <vector>

#include "tools/art/canvas.h"

namespace art {

struct PaletteEntry {
  uint8_t r, g, b;
};

// Indexed frames of one clip: rows top-down, one byte per pixel.
struct IndexedFrames {
  int width = 0;
  int height = 0;
  std::vector<PaletteEntry> palette;  // always 256 entries
  std::vector<std::vector<uint8_t>> frames;
};

// Builds a palette (median cut over the colours of all frames) and maps every
// pixel to its nearest entry. Entry 0 is `background` exactly, and only
// pixels of exactly that colour get index 0, so the transparent colour of the
// animation control never leaks into the drawing. Frames must be opaque and
// of one size. Returns false on empty or mismatched input.
bool QuantizeFrames(const std::vector<Image>& frames, PaletteEntry background, IndexedFrames& out);

}  // namespace art

#endif
