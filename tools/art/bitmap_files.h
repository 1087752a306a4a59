// BMP and ICO files of the installer's bitmaps and icons.
#ifndef ZELTA_TOOLS_ART_BITMAP_FILES_H
#define ZELTA_TOOLS_ART_BITMAP_FILES_H

#include <cstdint>
#include <vector>

#include "tools/art/canvas.h"

namespace art {

// Bytes per row of an uncompressed DIB: rows are padded to four bytes.
uint32_t DibStride(int width, int bits_per_pixel);

// A 24-bit BMP file (alpha ignored), rows bottom-up. False on an empty image.
bool WriteBmp24(const Image& img, std::vector<uint8_t>& out);

// An ICO file with one 32-bit image (with alpha) per picture, each followed
// by its AND mask, which older readers use where they ignore alpha. Square
// pictures of 1 to 256 pixels. False otherwise.
bool WriteIco(const std::vector<Image>& pictures, std::vector<uint8_t>& out);

}  // namespace art

#endif
