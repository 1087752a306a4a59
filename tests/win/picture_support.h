// Pictures in tests: bitmaps and window contents read back as pixels.
#ifndef ZELTA_TESTS_WIN_PICTURE_SUPPORT_H
#define ZELTA_TESTS_WIN_PICTURE_SUPPORT_H

#include <windows.h>

#include <vector>

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // rows from the top

  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool operator==(const Picture& other) const {
    return width == other.width && height == other.height && pixels == other.pixels;
  }
  bool operator!=(const Picture& other) const { return !(*this == other); }
};

// The smallest rectangle holding every pixel that differs between two
// pictures of one size (empty: none differs), limited to `area`.
RECT ChangedBox(const Picture& before, const Picture& after, RECT area);
RECT ChangedBox(const Picture& before, const Picture& after);
inline bool IsEmptyBox(const RECT& box) { return box.right <= box.left || box.bottom <= box.top; }

// A bitmap compatible with the screen, filled with one colour.
HBITMAP MakeFilledBitmap(int width, int height, COLORREF fill);

// A bitmap's pixels (it must not be selected into a context).
Picture ReadPicture(HBITMAP bitmap);

// What a window's client area shows.
Picture ReadWindowClient(HWND window);

#endif
