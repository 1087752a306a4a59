#include "tests/win/picture_support.h"

#include <algorithm>

namespace {

Picture ReadFromDc(HDC source, int left, int top, int width, int height) {
  Picture picture;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP copy = CreateCompatibleBitmap(source, width, height);
  HGDIOBJ replaced = SelectObject(memory, copy);
  BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
  SelectObject(memory, replaced);
  DeleteDC(memory);
  picture = ReadPicture(copy);
  DeleteObject(copy);
  return picture;
}

}  // namespace

RECT ChangedBox(const Picture& before, const Picture& after, RECT area) {
  RECT box = {area.right, area.bottom, area.left, area.top};
  if (before.width != after.width || before.height != after.height) return RECT{0, 0, 0, 0};
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  area.right = std::min<LONG>(area.right, before.width);
  area.bottom = std::min<LONG>(area.bottom, before.height);
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (before.At(x, y) == after.At(x, y)) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  if (IsEmptyBox(box)) return RECT{0, 0, 0, 0};
  return box;
}

RECT ChangedBox(const Picture& before, const Picture& after) {
  return ChangedBox(before, after, RECT{0, 0, before.width, before.height});
}

HBITMAP MakeFilledBitmap(int width, int height, COLORREF fill) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ replaced = SelectObject(memory, bitmap);
  HBRUSH brush = CreateSolidBrush(fill);
  RECT all = {0, 0, width, height};
  FillRect(memory, &all, brush);
  DeleteObject(brush);
  SelectObject(memory, replaced);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

Picture ReadPicture(HBITMAP bitmap) {
  Picture picture;
  BITMAP header = {};
  if (GetObjectA(bitmap, sizeof header, &header) == 0) return picture;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = header.bmWidth;
  info.bmiHeader.biHeight = -header.bmHeight;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<RGBQUAD> raw(static_cast<size_t>(header.bmWidth) * header.bmHeight);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, header.bmHeight, raw.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != header.bmHeight) return picture;
  picture.width = header.bmWidth;
  picture.height = header.bmHeight;
  picture.pixels.reserve(raw.size());
  for (const RGBQUAD& q : raw) picture.pixels.push_back(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
  return picture;
}

Picture ReadWindowClient(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  Picture picture = ReadFromDc(dc, 0, 0, client.right, client.bottom);
  ReleaseDC(window, dc);
  return picture;
}
