// The title picture: positions scaled from the background's size, fonts,
// colours, the emblem, the Hungarian letters, and no GDI object left over.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "app/main_window.h"
#include "app/title_painting.h"
#include "catalogue/install_state.h"
#include "resources/resource_ids.h"
#include "tests/win/gdi_census.h"
#include "tests/win/picture_support.h"

namespace {

const COLORREF White = RGB(255, 255, 255);
const COLORREF Black = RGB(0, 0, 0);
const COLORREF DarkRed = RGB(128, 0, 0);
const COLORREF Blue = RGB(22, 132, 198);
const COLORREF PaleBlue = RGB(140, 180, 200);
const COLORREF Grey = RGB(112, 112, 112);

std::string LoadText(int id) {
  char text[128] = {};
  LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return text;
}

std::wstring LoadWideText(int id) {
  wchar_t text[128] = {};
  LoadStringW(GetModuleHandleA(nullptr), id, text, 128);
  return text;
}

// Draws on a bitmap through a memory context with a transparent background.
void DrawOn(HBITMAP bitmap, const std::function<void(HDC)>& draw) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ replaced = SelectObject(memory, bitmap);
  SetBkMode(memory, TRANSPARENT);
  draw(memory);
  SelectObject(memory, replaced);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// A fresh picture of the given size and colour with something drawn on it.
Picture Drawn(int width, int height, COLORREF fill, const std::function<void(HDC)>& draw) {
  HBITMAP bitmap = MakeFilledBitmap(width, height, fill);
  DrawOn(bitmap, draw);
  Picture picture = ReadPicture(bitmap);
  DeleteObject(bitmap);
  return picture;
}

// One text at a pixel position, the way the layout table gives it.
void TextAt(HDC dc, int x, int y, int fontWidth, int fontHeight, int weight, BOOL italic, const char* face,
            const std::string& text) {
  HFONT font = MakeFont(fontWidth, fontHeight, weight, italic, face);
  HGDIOBJ replaced = SelectObject(dc, font);
  TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  SelectObject(dc, replaced);
  DeleteObject(font);
}

void WideTextAt(HDC dc, int x, int y, HFONT font, const std::wstring& text) {
  HGDIOBJ replaced = SelectObject(dc, font);
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  SelectObject(dc, replaced);
}

int Differences(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int n = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
  return n;
}

bool HasColour(const Picture& picture, RECT area, COLORREF colour) {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (picture.At(x, y) == colour) return true;
    }
  }
  return false;
}

class TitlePainting : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallState.Instance = GetModuleHandleA(nullptr);
    saved_ = Background;
    Background = {nullptr, 0, 0};
    window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (Background.bitmap != nullptr) DeleteObject(Background.bitmap);
    Background = saved_;
    DestroyWindow(window_);
  }

  void UseBackground(int width, int height, COLORREF fill) {
    if (Background.bitmap != nullptr) DeleteObject(Background.bitmap);
    Background = {MakeFilledBitmap(width, height, fill), width, height};
  }

  // Draws through DrawScaledText-style code onto the current background.
  Picture DrawOnBackground(const std::function<void(HDC)>& draw) {
    DrawOn(Background.bitmap, draw);
    return ReadPicture(Background.bitmap);
  }

  BackgroundRecord saved_ = {};
  HWND window_ = nullptr;
};

// --- Positions -------------------------------------------------------------

TEST(TitlePositions, FractionsTruncateToTheLayoutPixels) {
  struct Case {
    int size;
    double fraction;
    int pixel;
  };
  const Case cases[] = {
    // across the shipped 600-pixel width
    {600, 0.02, 12}, {600, 0.64, 384}, {600, 0.646, 387},
    // down the 350-pixel height: the contact block...
    {350, 0.53, 185}, {350, 0.62, 217}, {350, 0.665, 232}, {350, 0.71, 248},
    {350, 0.755, 264}, {350, 0.8, 280}, {350, 0.845, 295}, {350, 0.9, 315},
    // ...and the product block
    {350, 0.01, 3}, {350, 0.102, 35}, {350, 0.096, 33}, {350, 0.21, 73},
    {350, 0.45, 157}, {350, 0.306, 107}, {350, 0.3, 105},
    // other sizes
    {700, 0.64, 448}, {400, 0.53, 212}, {525, 0.01, 5}, {900, 0.64, 576},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaledPosition(c.size, c.fraction), c.pixel) << c.size << " x " << c.fraction;
  }
}

TEST_F(TitlePainting, LargerBackgroundMovesTextsButKeepsTheirSize) {
  auto inkOf = [&](int width, int height) {
    UseBackground(width, height, White);
    Picture blank = ReadPicture(Background.bitmap);
    Picture painted = DrawOnBackground([](HDC dc) {
      SetTextAlign(dc, TA_CENTER | TA_TOP);
      SetTextColor(dc, Blue);
      DrawScaledText(dc, 0.64, 0.01, 16, 36, FW_BOLD, TRUE, "Arial Black", "ZeltaCAD");
    });
    return ChangedBox(blank, painted);
  };
  RECT shipped = inkOf(600, 350);
  RECT larger = inkOf(900, 525);  // x 576, y 5
  ASSERT_FALSE(IsEmptyBox(shipped));
  EXPECT_EQ(larger.left - shipped.left, 576 - 384);
  EXPECT_EQ(larger.top - shipped.top, 5 - 3);
  EXPECT_EQ(larger.right - larger.left, shipped.right - shipped.left);
  EXPECT_EQ(larger.bottom - larger.top, shipped.bottom - shipped.top);
}

// --- Fonts -----------------------------------------------------------------

TEST_F(TitlePainting, MakeFontHasTheFixedSettings) {
  HFONT font = MakeFont(22, 48, FW_BOLD, TRUE, "Arial Black");
  ASSERT_NE(font, nullptr);
  LOGFONTA made = {};
  ASSERT_EQ(GetObjectA(font, sizeof made, &made), static_cast<int>(sizeof made));
  DeleteObject(font);
  EXPECT_EQ(made.lfWidth, 22);
  EXPECT_EQ(made.lfHeight, 48);  // positive: the cell height
  EXPECT_EQ(made.lfWeight, FW_BOLD);
  EXPECT_TRUE(made.lfItalic);
  EXPECT_FALSE(made.lfUnderline);
  EXPECT_FALSE(made.lfStrikeOut);
  EXPECT_EQ(made.lfEscapement, 0);
  EXPECT_EQ(made.lfOrientation, 0);
  EXPECT_EQ(made.lfOutPrecision, OUT_TT_ONLY_PRECIS);
  EXPECT_EQ(made.lfClipPrecision, CLIP_DEFAULT_PRECIS);
  EXPECT_EQ(made.lfQuality, PROOF_QUALITY);
  EXPECT_EQ(made.lfPitchAndFamily, 0);
  EXPECT_STREQ(made.lfFaceName, "Arial Black");

  HFONT plain = MakeFont(6, 16, FW_NORMAL, FALSE, "Arial");
  ASSERT_EQ(GetObjectA(plain, sizeof made, &made), static_cast<int>(sizeof made));
  DeleteObject(plain);
  EXPECT_EQ(made.lfWeight, FW_NORMAL);
  EXPECT_FALSE(made.lfItalic);
  EXPECT_STREQ(made.lfFaceName, "Arial");
}

// The 8-bit texts are Windows-1250: what TextOutA shows must be what the
// same text shows in Unicode, ő and ű included.
TEST_F(TitlePainting, HungarianLettersComeOutAsTheyAreMeant) {
  struct Case {
    std::string narrow;
    std::wstring wide;
  };
  const Case cases[] = {
    {"\xF5\xFB\xD5\xDB", L"\x0151\x0171\x0150\x0170"},  // ő ű Ő Ű
    {LoadText(IDS_MODULE_TITLE), LoadWideText(IDS_MODULE_TITLE)},
    {LoadText(IDS_MAKER_ADDRESS), LoadWideText(IDS_MAKER_ADDRESS)},
    {LoadText(IDS_SETUP_CAPTION), LoadWideText(IDS_SETUP_CAPTION)},
  };
  for (const Case& c : cases) {
    bool accented = false;
    for (unsigned char ch : c.narrow) accented |= ch >= 0x80;
    ASSERT_TRUE(accented) << c.narrow;  // a plain ASCII text would prove nothing
    for (int italic = 0; italic < 2; ++italic) {
      Picture narrow = Drawn(400, 60, White, [&](HDC dc) {
        TextAt(dc, 4, 4, 10, 30, FW_BOLD, italic, "Arial Black", c.narrow);
      });
      Picture wide = Drawn(400, 60, White, [&](HDC dc) {
        HFONT font = MakeFont(10, 30, FW_BOLD, italic, "Arial Black");
        WideTextAt(dc, 4, 4, font, c.wide);
        DeleteObject(font);
      });
      EXPECT_EQ(Differences(narrow, wide), 0) << c.narrow;
    }
  }
}

// --- The whole picture -----------------------------------------------------

TEST_F(TitlePainting, PictureFollowsTheLayoutTable) {
  Background.bitmap = LoadBitmapA(InstallState.Instance, "ZeltaWin");
  ASSERT_NE(Background.bitmap, nullptr);
  Background.width = 600;
  Background.height = 350;
  PaintTitles(window_);
  Picture painted = ReadPicture(Background.bitmap);

  // The same picture put together by hand from the table's pixel positions.
  HBITMAP reference = LoadBitmapA(InstallState.Instance, "ZeltaWin");
  HBITMAP emblem = LoadBitmapA(InstallState.Instance, "ZeltaBas");
  DrawOn(reference, [&](HDC dc) {
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SetTextColor(dc, Black);
    TextAt(dc, 12, 185, 10, 28, FW_BOLD, FALSE, "Arial Black", LoadText(IDS_MAKER_NAME));
    TextAt(dc, 12, 217, 6, 16, FW_NORMAL, FALSE, "Arial", LoadText(IDS_MAKER_ADDRESS));
    TextAt(dc, 12, 232, 6, 16, FW_NORMAL, FALSE, "Arial", LoadText(IDS_MAKER_PHONE1));
    TextAt(dc, 12, 248, 6, 16, FW_NORMAL, FALSE, "Arial", LoadText(IDS_MAKER_PHONE2));
    TextAt(dc, 12, 264, 6, 16, FW_NORMAL, FALSE, "Arial", LoadText(IDS_MAKER_EMAIL));
    TextAt(dc, 12, 280, 6, 16, FW_NORMAL, FALSE, "Arial", LoadText(IDS_MAKER_WEB));
    TextAt(dc, 12, 295, 6, 16, FW_NORMAL, FALSE, "Arial", LoadText(IDS_PRODUCT_YEARS));
    SetTextColor(dc, DarkRed);
    TextAt(dc, 12, 315, 10, 26, FW_NORMAL, FALSE, "Arial Black", LoadText(IDS_RIGHTS_RESERVED));

    SetTextAlign(dc, TA_CENTER | TA_TOP);
    auto product = [&](COLORREF colour, int x, int y, int w, int h, const std::string& text) {
      SetTextColor(dc, colour);
      TextAt(dc, x, y, w, h, FW_BOLD, TRUE, "Arial Black", text);
    };
    product(Blue, 384, 3, 16, 36, "ZeltaCAD");
    product(PaleBlue, 387, 35, 22, 48, "KORVET");
    product(Blue, 384, 33, 22, 48, "KORVET");
    product(Blue, 384, 73, 10, 30, LoadText(IDS_MODULE_TITLE));
    product(Blue, 384, 157, 10, 26, LoadText(IDS_PLATFORM));
    product(Grey, 387, 107, 22, 48, "V9.21.E.DEMO");
    product(DarkRed, 384, 105, 22, 48, "V9.21.E.DEMO");

    HDC emblemDc = CreateCompatibleDC(dc);
    HGDIOBJ replaced = SelectObject(emblemDc, emblem);
    BitBlt(dc, 264, 191, 284, 157, emblemDc, 0, 0, SRCAND);
    SelectObject(emblemDc, replaced);
    DeleteDC(emblemDc);
  });
  Picture expected = ReadPicture(reference);
  DeleteObject(reference);
  DeleteObject(emblem);

  int differences = Differences(painted, expected);
  RECT box = ChangedBox(expected, painted);
  EXPECT_EQ(differences, 0) << "differing pixels in " << box.left << "," << box.top << " - " << box.right << ","
                            << box.bottom;
}

TEST_F(TitlePainting, TextsStayInTheirBlocks) {
  UseBackground(600, 350, White);
  Picture blank = ReadPicture(Background.bitmap);
  PaintTitles(window_);
  Picture painted = ReadPicture(Background.bitmap);

  // Contact block: every row marks its own rows, from column 12 on, in its colour.
  struct Row {
    int y, height;
    COLORREF colour;
  };
  const Row rows[] = {{185, 28, Black}, {217, 16, Black}, {232, 16, Black}, {248, 16, Black},
                      {264, 16, Black}, {280, 16, Black}, {295, 16, Black}, {315, 26, DarkRed}};
  for (const Row& row : rows) {
    RECT band = {0, row.y, 240, row.y + row.height};
    RECT ink = ChangedBox(blank, painted, band);
    ASSERT_FALSE(IsEmptyBox(ink)) << "row " << row.y;
    EXPECT_GE(ink.left, 12) << "row " << row.y;
    EXPECT_LE(ink.left, 12 + 4) << "row " << row.y;
    EXPECT_TRUE(HasColour(painted, ink, row.colour)) << "row " << row.y;
  }
  // Product block: the name, the product line and its shadow, the version
  // and its shadow, each in its colour about column 384.
  struct Band {
    RECT area;
    COLORREF colour;
  };
  const Band bands[] = {{{250, 3, 520, 33}, Blue},    {{250, 33, 520, 81}, Blue},  {{250, 35, 520, 83}, PaleBlue},
                        {{250, 73, 520, 103}, Blue},  {{250, 157, 520, 183}, Blue},
                        {{250, 105, 520, 153}, DarkRed}, {{250, 107, 520, 155}, Grey}};
  for (const Band& band : bands) {
    EXPECT_TRUE(HasColour(painted, band.area, band.colour)) << "band at " << band.area.top;
  }

  // Where nothing may be drawn: above the maker's name on the left, right of
  // the emblem, and the two rows under it.
  EXPECT_TRUE(IsEmptyBox(ChangedBox(blank, painted, RECT{0, 0, 240, 185})));
  EXPECT_TRUE(IsEmptyBox(ChangedBox(blank, painted, RECT{548, 0, 600, 350})));
  EXPECT_TRUE(IsEmptyBox(ChangedBox(blank, painted, RECT{0, 348, 600, 350})));
}

TEST_F(TitlePainting, EmblemFollowsTheBackgroundSize) {
  const COLORREF fill = RGB(200, 170, 140);
  UseBackground(700, 400, fill);
  Picture blank = ReadPicture(Background.bitmap);
  HDC screen = GetDC(nullptr);
  Picture painted = DrawOnBackground([&](HDC dc) { PaintProductBlock(dc, screen, 700, 400); });
  ReleaseDC(nullptr, screen);

  HBITMAP emblemBitmap = LoadBitmapA(InstallState.Instance, "ZeltaBas");
  Picture emblem = ReadPicture(emblemBitmap);
  DeleteObject(emblemBitmap);
  ASSERT_EQ(emblem.width, 284);
  ASSERT_EQ(emblem.height, 157);

  const int left = 364, top = 241;  // 700 - 284 - 52, 400 - 157 - 2
  int darkened = 0, kept = 0, wrong = 0;
  for (int y = 0; y < emblem.height; ++y) {
    for (int x = 0; x < emblem.width; ++x) {
      COLORREF shown = painted.At(left + x, top + y);
      wrong += shown != (fill & emblem.At(x, y));
      if (emblem.At(x, y) == RGB(255, 255, 255)) kept += shown == fill;
      else darkened += shown != fill;
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(kept, 0);      // white parts leave the background as it was
  EXPECT_GT(darkened, 0);  // the drawing darkens it
  // Nothing around it: the texts end far above, and the emblem is not a
  // pixel off in any direction.
  RECT around[] = {{0, 230, 700, top}, {0, top, left, 400}, {left + 284, top, 700, 400}, {left, 398, left + 284, 400}};
  for (const RECT& area : around) {
    EXPECT_TRUE(IsEmptyBox(ChangedBox(blank, painted, area))) << area.left << "," << area.top;
  }
}

// --- Resources -------------------------------------------------------------

TEST_F(TitlePainting, PaintTitlesLeavesNothingBehind) {
  UseBackground(600, 350, White);
  {
    GdiCensus census;
    PaintTitles(window_);
    const GdiCount& count = census.count();
    ASSERT_GT(count.patched, 0);
    EXPECT_EQ(count.Made(GdiKind::Font), 15);  // one font for each text
    EXPECT_TRUE(count.Kept(GdiKind::Font).empty());
    EXPECT_GE(count.Made(GdiKind::MemoryDc), 2);  // the background's and the emblem's
    EXPECT_TRUE(count.Kept(GdiKind::MemoryDc).empty());
    EXPECT_EQ(count.Made(GdiKind::Bitmap), 1);  // the emblem
    EXPECT_TRUE(count.Kept(GdiKind::Bitmap).empty());
    EXPECT_EQ(count.windowDcs, 0);
    for (const GdiMade& made : count.made) EXPECT_EQ(GetObjectType(made.handle), 0u);
  }
  // The background itself stays, painted and free to be selected elsewhere.
  EXPECT_EQ(GetObjectType(Background.bitmap), static_cast<DWORD>(OBJ_BITMAP));
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ replaced = SelectObject(memory, Background.bitmap);
  EXPECT_NE(replaced, nullptr);
  SelectObject(memory, replaced);
  DeleteDC(memory);
}

TEST_F(TitlePainting, DrawScaledTextGivesTheContextBackItsFont) {
  UseBackground(600, 350, White);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ replaced = SelectObject(memory, Background.bitmap);
  HGDIOBJ before = GetCurrentObject(memory, OBJ_FONT);
  {
    GdiCensus census;
    DrawScaledText(memory, 0.02, 0.62, 6, 16, FW_NORMAL, FALSE, "Arial", "H-1117 Budapest");
    EXPECT_EQ(census.count().Made(GdiKind::Font), 1);
    EXPECT_TRUE(census.count().Kept(GdiKind::Font).empty());
  }
  EXPECT_EQ(GetCurrentObject(memory, OBJ_FONT), before);
  SelectObject(memory, replaced);
  DeleteDC(memory);
}

}  // namespace
