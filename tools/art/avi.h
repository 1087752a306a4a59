// RIFF chunks and the silent, one-stream RLE8 AVI files of the animation
// control.
#ifndef ZELTA_TOOLS_ART_AVI_H
#define ZELTA_TOOLS_ART_AVI_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/art/palette.h"

namespace art {

void PutU16(std::vector<uint8_t>& out, uint32_t v);
void PutU32(std::vector<uint8_t>& out, uint32_t v);
void PutFourCC(std::vector<uint8_t>& out, const char* id);

// Opens a chunk ("RIFF"/"LIST" take a form type too) and returns the offset of
// its size field, for RiffClose.
size_t RiffOpen(std::vector<uint8_t>& out, const char* id, const char* form = nullptr);
// Writes the size of the chunk opened at `size_at` and pads the data to an
// even length; the pad byte is not counted in the size.
void RiffClose(std::vector<uint8_t>& out, size_t size_at);
// A whole data chunk.
void RiffChunk(std::vector<uint8_t>& out, const char* id, const uint8_t* data, size_t size);

struct AviClip {
  uint32_t microseconds_per_frame = 0;
  IndexedFrames video;
};

// Writes the clip: RIFF 'AVI ' with LIST hdrl (avih, LIST strl with strh
// 'vids' and strf = BITMAPINFOHEADER BI_RLE8 + 256 colours), LIST movi with
// one '00dc' key frame per picture, and idx1. Returns false on an empty or
// inconsistent clip.
bool WriteAvi(const AviClip& clip, std::vector<uint8_t>& out);

// Reads back the frames of a file written by WriteAvi (for looking at them).
bool ReadAviFrames(const std::vector<uint8_t>& file, IndexedFrames& out,
                   uint32_t* microseconds_per_frame);

}  // namespace art

#endif
