// Run-length encoding of 8-bit frames (BI_RLE8), the format the animation
// control plays.
#ifndef ZELTA_TOOLS_ART_RLE8_H
#define ZELTA_TOOLS_ART_RLE8_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace art {

// Appends the codes of one row of `width` indices: encoded runs (count 1-255,
// index) and absolute runs (0, n >= 3, n indices, padded to an even length).
// No end-of-line code.
void Rle8EncodeRow(const uint8_t* row, int width, std::vector<uint8_t>& out);

// Encodes a whole frame given top-down; the stream is bottom-up like every
// DIB: each row ends with end-of-line (0,0), the frame with end-of-bitmap
// (0,1). Returns false for an empty size.
bool Rle8EncodeFrame(const uint8_t* top_down, int width, int height, std::vector<uint8_t>& out);

// Decodes a frame into top-down indices (used to look at finished clips).
// Pixels the stream skips keep index 0. Returns false on a malformed stream.
bool Rle8DecodeFrame(const uint8_t* data, size_t size, int width, int height,
                     std::vector<uint8_t>& top_down);

}  // namespace art

#endif
