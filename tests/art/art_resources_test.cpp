// The generated pictures and clips as a Windows program sees them: loaded
// from its own resources, opened and played by the animation control, and
// decoded by GDI and by the system's RLE decompressor pixel for pixel like
// the tests' own decoder.
#include <windows.h>
#include <commctrl.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/art/clip_reader.h"

namespace {

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

std::vector<uint8_t> ResourceBytes(const char* type, int id) {
  HRSRC r = FindResourceA(Self(), MAKEINTRESOURCEA(id), type);
  if (!r) return {};
  HGLOBAL g = LoadResource(Self(), r);
  const uint8_t* p = g ? static_cast<const uint8_t*>(LockResource(g)) : nullptr;
  if (!p) return {};
  return std::vector<uint8_t>(p, p + SizeofResource(Self(), r));
}

struct ClipWant {
  int id, width, height, frames;
  uint32_t us;
};
const ClipWant kClips[] = {{1001, 80, 50, 29, 166666}, {1002, 181, 72, 25, 120000},
                           {1003, 267, 85, 51, 80000}};

// The progress dialog paints the control's background with this brush.
HBRUSH AnimationBrush() {
  static HBRUSH brush = CreateSolidBrush(RGB(231, 231, 215));
  return brush;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CTLCOLORSTATIC) {
    SetBkColor(reinterpret_cast<HDC>(wp), RGB(231, 231, 215));
    return reinterpret_cast<LRESULT>(AnimationBrush());
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void Pump(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    Sleep(10);
  }
}

class AnimationControl : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_ANIMATE_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = Self();
    wc.lpszClassName = "ZeltaArtTestHost";
    wc.hbrBackground = AnimationBrush();
    RegisterClassA(&wc);  // already there on the second test
    host_ = CreateWindowExA(0, "ZeltaArtTestHost", "clips", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            400, 200, nullptr, nullptr, Self(), nullptr);
    ASSERT_NE(host_, nullptr);
  }
  void TearDown() override {
    if (host_) DestroyWindow(host_);
  }
  HWND NewControl(int id) {
    return CreateWindowExA(0, ANIMATE_CLASSA, "",
                           WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT, 15, 10, 320, 100,
                           host_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Self(),
                           nullptr);
  }
  HWND host_ = nullptr;
};

TEST_F(AnimationControl, OpensAndPlaysEveryClipFromTheResources) {
  for (const ClipWant& c : kClips) {
    SCOPED_TRACE(c.id);
    HWND anim = NewControl(c.id);
    ASSERT_NE(anim, nullptr);
    // Module 0: the control uses its own module, as the installer does.
    EXPECT_TRUE(SendMessageA(anim, ACM_OPENA, 0, reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(c.id))));
    EXPECT_TRUE(SendMessageA(anim, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF)));
    Pump(250);
    EXPECT_TRUE(SendMessageA(anim, ACM_STOP, 0, 0));
    EXPECT_TRUE(SendMessageA(anim, ACM_OPENA, 0, 0));  // closes the clip
    DestroyWindow(anim);
  }
}

TEST_F(AnimationControl, RefusesAClipThatIsNotThere) {
  HWND anim = NewControl(1004);
  ASSERT_NE(anim, nullptr);
  EXPECT_FALSE(SendMessageA(anim, ACM_OPENA, 0, reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(1004))));
  EXPECT_FALSE(SendMessageA(anim, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF)));
  DestroyWindow(anim);
}

// A 32-bit top-down DIB section to draw into and read back.
struct Target {
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* px = nullptr;
  int w = 0, h = 0;
  bool Make(int width, int height) {
    w = width;
    h = height;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    if (!bmp || !dc) return false;
    old = SelectObject(dc, bmp);
    px = static_cast<uint32_t*>(bits);
    return true;
  }
  void Fill(uint32_t v) {
    GdiFlush();
    for (int i = 0; i < w * h; ++i) px[i] = v;
  }
  uint32_t At(int x, int y) {
    GdiFlush();
    return px[size_t(y) * w + x] & 0xFFFFFF;
  }
  ~Target() {
    if (dc && old) SelectObject(dc, old);
    if (bmp) DeleteObject(bmp);
    if (dc) DeleteDC(dc);
  }
};

// Compares a rendered frame with the reference decoding (rows bottom-up).
::testing::AssertionResult SameAsReference(Target& t, const std::vector<uint8_t>& bottom_up,
                                           const std::vector<uint32_t>& palette) {
  for (int y = 0; y < t.h; ++y) {
    for (int x = 0; x < t.w; ++x) {
      uint32_t want = palette[bottom_up[size_t(t.h - 1 - y) * t.w + x]];
      uint32_t got = t.At(x, y);
      if (got != want) {
        return ::testing::AssertionFailure()
               << "pixel " << x << "," << y << ": 0x" << std::hex << got << " instead of 0x" << want;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

struct Bmi256 {
  BITMAPINFOHEADER h;
  RGBQUAD colours[256];
};

TEST(ArtClips, FramesDecodeInGdiAndTheRleCodecLikeTheReference) {
  for (const ClipWant& c : kClips) {
    SCOPED_TRACE(c.id);
    std::vector<uint8_t> file = ResourceBytes("AVI", c.id);
    ASSERT_FALSE(file.empty());
    cliptest::Clip clip;
    std::string error;
    ASSERT_TRUE(cliptest::ReadClip(file, clip, error)) << error;
    EXPECT_EQ(clip.width, uint32_t(c.width));
    EXPECT_EQ(clip.height, uint32_t(c.height));
    EXPECT_EQ(clip.total_frames, uint32_t(c.frames));
    EXPECT_EQ(clip.us_per_frame, c.us);
    ASSERT_EQ(clip.frames.size(), size_t(c.frames));
    ASSERT_EQ(clip.palette.size(), 256u);

    Bmi256 in = {};
    in.h.biSize = sizeof in.h;
    in.h.biWidth = c.width;
    in.h.biHeight = c.height;
    in.h.biPlanes = 1;
    in.h.biBitCount = 8;
    in.h.biCompression = BI_RLE8;
    in.h.biClrUsed = 256;
    for (int k = 0; k < 256; ++k) {
      in.colours[k].rgbRed = static_cast<BYTE>(clip.palette[k] >> 16);
      in.colours[k].rgbGreen = static_cast<BYTE>(clip.palette[k] >> 8);
      in.colours[k].rgbBlue = static_cast<BYTE>(clip.palette[k]);
    }

    HIC hic = ICOpen(ICTYPE_VIDEO, mmioFOURCC('m', 'r', 'l', 'e'), ICMODE_DECOMPRESS);
    ASSERT_NE(hic, nullptr) << "no RLE decompressor";
    std::vector<uint8_t> out_format(ICDecompressGetFormatSize(hic, &in.h));
    ASSERT_GE(out_format.size(), sizeof(BITMAPINFOHEADER));
    auto* out = reinterpret_cast<BITMAPINFOHEADER*>(out_format.data());
    ASSERT_EQ(ICDecompressGetFormat(hic, &in.h, out), ICERR_OK);
    ASSERT_EQ(ICDecompressBegin(hic, &in.h, out), ICERR_OK);
    std::vector<uint8_t> decoded(out->biSizeImage ? out->biSizeImage
                                                  : DWORD(c.width) * 4 * c.height);

    Target t;
    ASSERT_TRUE(t.Make(c.width, c.height));
    for (size_t f = 0; f < clip.frames.size(); ++f) {
      SCOPED_TRACE(f);
      const cliptest::Chunk& ch = clip.frames[f];
      std::vector<uint8_t> reference;
      ASSERT_TRUE(cliptest::DecodeRle8(&file[ch.data], ch.size, c.width, c.height, reference,
                                       error)) << error;
      in.h.biSizeImage = ch.size;

      t.Fill(0xFF00FF);
      ASSERT_EQ(SetDIBitsToDevice(t.dc, 0, 0, c.width, c.height, 0, 0, 0, c.height, &file[ch.data],
                                  reinterpret_cast<BITMAPINFO*>(&in), DIB_RGB_COLORS),
                c.height);
      ASSERT_TRUE(SameAsReference(t, reference, clip.palette)) << "GDI";

      ASSERT_EQ(ICDecompress(hic, 0, &in.h, &file[ch.data], out, decoded.data()), ICERR_OK);
      t.Fill(0xFF00FF);
      ASSERT_EQ(SetDIBitsToDevice(t.dc, 0, 0, c.width, c.height, 0, 0, 0, c.height, decoded.data(),
                                  reinterpret_cast<BITMAPINFO*>(out), DIB_RGB_COLORS),
                c.height);
      ASSERT_TRUE(SameAsReference(t, reference, clip.palette)) << "decompressor";
    }
    ICDecompressEnd(hic);
    ICClose(hic);
  }
}

TEST(ArtBitmaps, BackgroundAndEmblemLoadWith24BitsAndTheirSizes) {
  struct Want {
    const char* name;
    int width, height;
  };
  for (const Want& w : {Want{"ZeltaWin", 600, 350}, Want{"ZeltaBas", 284, 157}}) {
    SCOPED_TRACE(w.name);
    HBITMAP dib = static_cast<HBITMAP>(
        LoadImageA(Self(), w.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(dib, nullptr);
    DIBSECTION ds = {};
    ASSERT_EQ(GetObjectA(dib, sizeof ds, &ds), int(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidth, w.width);
    EXPECT_EQ(ds.dsBm.bmHeight, w.height);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
    EXPECT_EQ(ds.dsBmih.biBitCount, 24);
    DeleteObject(dib);

    // The plain load the installer makes: a device bitmap of the same size.
    HBITMAP ddb = LoadBitmapA(Self(), w.name);
    ASSERT_NE(ddb, nullptr);
    BITMAP bm = {};
    ASSERT_EQ(GetObjectA(ddb, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, w.width);
    EXPECT_EQ(bm.bmHeight, w.height);
    DeleteObject(ddb);
  }
  EXPECT_EQ(LoadBitmapA(Self(), "NoSuchBitmap"), nullptr);
}

TEST(ArtBitmaps, RowsArriveTheRightWayUp) {
  // The background's blue band runs along its bottom edge; the emblem's
  // corners are white (it is ANDed onto the background).
  HBITMAP bg = static_cast<HBITMAP>(
      LoadImageA(Self(), "ZeltaWin", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  HBITMAP em = static_cast<HBITMAP>(
      LoadImageA(Self(), "ZeltaBas", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(bg, nullptr);
  ASSERT_NE(em, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bg);
  // Column 305 keeps clear of the grid lines.
  COLORREF bottom = GetPixel(dc, 305, 349), top = GetPixel(dc, 305, 2);
  EXPECT_GT(GetBValue(bottom), GetRValue(bottom) + 60) << "bottom edge is blue";
  EXPECT_GE(GetRValue(top), 230) << "top edge is light";
  SelectObject(dc, em);
  for (POINT p : {POINT{0, 0}, POINT{283, 0}, POINT{0, 156}, POINT{283, 156}}) {
    EXPECT_EQ(GetPixel(dc, p.x, p.y), RGB(255, 255, 255)) << p.x << "," << p.y;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bg);
  DeleteObject(em);
}

TEST(ArtIcons, BothIconsLoadAndDrawWithTransparentCorners) {
  for (const char* name : {"ZeltaEarth", "ZeltaWin"}) {
    SCOPED_TRACE(name);
    HICON standard = LoadIconA(Self(), name);
    ASSERT_NE(standard, nullptr);
    for (int size : {16, 32, 48}) {
      HICON icon = static_cast<HICON>(LoadImageA(Self(), name, IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << size;
      ICONINFO ii = {};
      ASSERT_TRUE(GetIconInfo(icon, &ii));
      BITMAP bm = {};
      GetObjectA(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
      EXPECT_EQ(bm.bmWidth, size);
      if (ii.hbmColor) DeleteObject(ii.hbmColor);
      if (ii.hbmMask) DeleteObject(ii.hbmMask);

      // Drawn on a known colour: the corner keeps it, the middle does not.
      Target t;
      ASSERT_TRUE(t.Make(size, size));
      t.Fill(0x00FF00);
      ASSERT_TRUE(DrawIconEx(t.dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL));
      EXPECT_EQ(t.At(0, 0), 0x00FF00u) << size;
      EXPECT_NE(t.At(size / 2, size / 2), 0x00FF00u) << size;
      DestroyIcon(icon);
    }
  }
  EXPECT_EQ(LoadIconA(Self(), "NoSuchIcon"), nullptr);
}

}  // namespace
