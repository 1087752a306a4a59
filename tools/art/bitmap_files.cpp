#include "tools/art/bitmap_files.h"

#include "tools/art/avi.h"

namespace art {

namespace {

// 72 dots per inch, in the DIB's pixels per metre.
const uint32_t kPelsPerMetre = 2835;

void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t image_size,
                   uint32_t pels) {
  PutU32(out, 40);
  PutU32(out, static_cast<uint32_t>(width));
  PutU32(out, static_cast<uint32_t>(height));
  PutU16(out, 1);
  PutU16(out, static_cast<uint32_t>(bits));
  PutU32(out, 0);  // BI_RGB
  PutU32(out, image_size);
  PutU32(out, pels);
  PutU32(out, pels);
  PutU32(out, 0);
  PutU32(out, 0);
}

}  // namespace

uint32_t DibStride(int width, int bits_per_pixel) {
  return ((static_cast<uint32_t>(width) * bits_per_pixel + 31) / 32) * 4;
}

bool WriteBmp24(const Image& img, std::vector<uint8_t>& out) {
  if (img.width <= 0 || img.height <= 0 ||
      img.rgba.size() != size_t(img.width) * img.height * 4) {
    return false;
  }
  const uint32_t stride = DibStride(img.width, 24);
  const uint32_t image_size = stride * static_cast<uint32_t>(img.height);
  out.clear();
  out.push_back('B');
  out.push_back('M');
  PutU32(out, 14 + 40 + image_size);
  PutU32(out, 0);
  PutU32(out, 14 + 40);
  PutInfoHeader(out, img.width, img.height, 24, image_size, kPelsPerMetre);
  for (int y = img.height - 1; y >= 0; --y) {
    const uint8_t* p = &img.rgba[size_t(y) * img.width * 4];
    for (int x = 0; x < img.width; ++x) {
      out.push_back(p[x * 4 + 2]);
      out.push_back(p[x * 4 + 1]);
      out.push_back(p[x * 4 + 0]);
    }
    for (uint32_t k = uint32_t(img.width) * 3; k < stride; ++k) out.push_back(0);
  }
  return true;
}

bool WriteIco(const std::vector<Image>& pictures, std::vector<uint8_t>& out) {
  if (pictures.empty()) return false;
  for (const Image& p : pictures) {
    if (p.width != p.height || p.width < 1 || p.width > 256 ||
        p.rgba.size() != size_t(p.width) * p.height * 4) {
      return false;
    }
  }
  std::vector<std::vector<uint8_t>> blobs;
  for (const Image& p : pictures) {
    std::vector<uint8_t> b;
    const int n = p.width;
    const uint32_t mask_stride = DibStride(n, 1);
    const uint32_t size = uint32_t(n) * n * 4 + mask_stride * n;
    // Height counts both the colour image and the mask.
    PutInfoHeader(b, n, 2 * n, 32, size, 0);
    for (int y = n - 1; y >= 0; --y) {
      for (int x = 0; x < n; ++x) {
        const uint8_t* q = &p.rgba[(size_t(y) * n + x) * 4];
        b.push_back(q[2]);
        b.push_back(q[1]);
        b.push_back(q[0]);
        b.push_back(q[3]);
      }
    }
    for (int y = n - 1; y >= 0; --y) {
      std::vector<uint8_t> row(mask_stride, 0);
      for (int x = 0; x < n; ++x) {
        // Set bits are transparent.
        if (p.rgba[(size_t(y) * n + x) * 4 + 3] < 128) row[x / 8] |= uint8_t(0x80 >> (x % 8));
      }
      b.insert(b.end(), row.begin(), row.end());
    }
    blobs.push_back(std::move(b));
  }
  out.clear();
  PutU16(out, 0);
  PutU16(out, 1);  // icon
  PutU16(out, static_cast<uint32_t>(pictures.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(pictures.size());
  for (size_t k = 0; k < pictures.size(); ++k) {
    int n = pictures[k].width;
    out.push_back(static_cast<uint8_t>(n == 256 ? 0 : n));
    out.push_back(static_cast<uint8_t>(n == 256 ? 0 : n));
    out.push_back(0);  // colour count: none for 32 bits
    out.push_back(0);
    PutU16(out, 1);    // planes
    PutU16(out, 32);   // bits per pixel
    PutU32(out, static_cast<uint32_t>(blobs[k].size()));
    PutU32(out, offset);
    offset += static_cast<uint32_t>(blobs[k].size());
  }
  for (const auto& b : blobs) out.insert(out.end(), b.begin(), b.end());
  return true;
}

}  // namespace art
