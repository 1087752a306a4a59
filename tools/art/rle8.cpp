#include "tools/art/rle8.h"

namespace art {

namespace {

void EmitRun(std::vector<uint8_t>& out, int count, uint8_t value) {
  while (count > 0) {
    int n = count > 255 ? 255 : count;
    out.push_back(static_cast<uint8_t>(n));
    out.push_back(value);
    count -= n;
  }
}

// A run of three equal indices is worth leaving an absolute run for.
bool RunOfThreeAt(const uint8_t* row, int width, int i) {
  return i + 2 < width && row[i] == row[i + 1] && row[i + 1] == row[i + 2];
}

}  // namespace

void Rle8EncodeRow(const uint8_t* row, int width, std::vector<uint8_t>& out) {
  int i = 0;
  while (i < width) {
    int run = 1;
    while (i + run < width && row[i + run] == row[i]) ++run;
    if (run >= 2) {
      EmitRun(out, run, row[i]);
      i += run;
      continue;
    }
    int j = i + 1;
    while (j < width && j - i < 255 && !RunOfThreeAt(row, width, j)) ++j;
    int n = j - i;
    if (n >= 3) {
      out.push_back(0);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), row + i, row + j);
      if (n & 1) out.push_back(0);  // absolute runs end on a word boundary
    } else {
      // Absolute mode needs three or more; one or two go as runs of one.
      for (int k = i; k < j; ++k) EmitRun(out, 1, row[k]);
    }
    i = j;
  }
}

bool Rle8EncodeFrame(const uint8_t* top_down, int width, int height, std::vector<uint8_t>& out) {
  if (width <= 0 || height <= 0) return false;
  for (int y = height - 1; y >= 0; --y) {
    Rle8EncodeRow(top_down + static_cast<size_t>(y) * width, width, out);
    out.push_back(0);
    out.push_back(0);
  }
  out.push_back(0);
  out.push_back(1);
  return true;
}

bool Rle8DecodeFrame(const uint8_t* data, size_t size, int width, int height,
                     std::vector<uint8_t>& top_down) {
  if (width <= 0 || height <= 0) return false;
  top_down.assign(static_cast<size_t>(width) * height, 0);
  int x = 0, y = 0;  // y counts rows from the bottom
  size_t p = 0;
  auto put = [&](uint8_t v) {
    if (x >= width || y >= height) return false;
    top_down[static_cast<size_t>(height - 1 - y) * width + x] = v;
    ++x;
    return true;
  };
  while (p + 1 < size) {
    uint8_t a = data[p], b = data[p + 1];
    p += 2;
    if (a > 0) {
      for (int k = 0; k < a; ++k) {
        if (!put(b)) return false;
      }
    } else if (b == 0) {
      x = 0;
      ++y;
    } else if (b == 1) {
      return true;
    } else if (b == 2) {
      if (p + 1 >= size) return false;
      x += data[p];
      y += data[p + 1];
      p += 2;
    } else {
      if (p + b > size) return false;
      for (int k = 0; k < b; ++k) {
        if (!put(data[p + k])) return false;
      }
      p += b + (b & 1);
    }
  }
  return false;  // no end-of-bitmap
}

}  // namespace art
