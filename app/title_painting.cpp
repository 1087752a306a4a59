#include "app/title_painting.h"

#include <cstring>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "resources/resource_ids.h"

BackgroundRecord Background = {nullptr, 0, 0};

namespace {

const COLORREF Black = RGB(0, 0, 0);
const COLORREF DarkRed = RGB(128, 0, 0);
const COLORREF Blue = RGB(22, 132, 198);
const COLORREF PaleBlue = RGB(140, 180, 200);
const COLORREF Grey = RGB(112, 112, 112);

const char Arial[] = "Arial";
const char ArialBlack[] = "Arial Black";

// The emblem's bottom-right corner, from the background's.
const int EmblemRightMargin = 52;
const int EmblemBottomMargin = 2;

struct ContactRow {
  int text;  // string table entry
  double x, y;
  int fontWidth, fontHeight, weight;
  const char* face;
};

// Left block, black except for the last row.
const ContactRow ContactRows[] = {
  {IDS_MAKER_NAME, 0.02, 0.53, 10, 28, FW_BOLD, ArialBlack},
  {IDS_MAKER_ADDRESS, 0.02, 0.62, 6, 16, FW_NORMAL, Arial},
  {IDS_MAKER_PHONE1, 0.02, 0.665, 6, 16, FW_NORMAL, Arial},
  {IDS_MAKER_PHONE2, 0.02, 0.71, 6, 16, FW_NORMAL, Arial},
  {IDS_MAKER_EMAIL, 0.02, 0.755, 6, 16, FW_NORMAL, Arial},
  {IDS_MAKER_WEB, 0.02, 0.8, 6, 16, FW_NORMAL, Arial},
  {IDS_PRODUCT_YEARS, 0.02, 0.845, 6, 16, FW_NORMAL, Arial},
};
const ContactRow RightsRow = {IDS_RIGHTS_RESERVED, 0.02, 0.9, 10, 26, FW_NORMAL, ArialBlack};

void LoadText(int id, char (&text)[128]) {
  if (LoadStringA(InstallState.Instance, id, text, sizeof text) <= 0) text[0] = '\0';
}

void DrawContactRow(HDC dc, const ContactRow& row) {
  char text[128];
  LoadText(row.text, text);
  DrawScaledText(dc, row.x, row.y, row.fontWidth, row.fontHeight, row.weight, FALSE, row.face, text);
}

// Right block: bold italic "Arial Black" throughout.
void DrawProductRow(HDC dc, COLORREF colour, double x, double y, int fontWidth, int fontHeight, const char* text) {
  SetTextColor(dc, colour);
  DrawScaledText(dc, x, y, fontWidth, fontHeight, FW_BOLD, TRUE, ArialBlack, text);
}

void CombineEmblem(HDC target, HDC screen, int width, int height) {
  HBITMAP emblem = LoadBitmapA(InstallState.Instance, "ZeltaBas");
  BITMAP header = {};
  if (emblem != nullptr) GetObjectA(emblem, sizeof header, &header);
  HDC emblemDc = CreateCompatibleDC(screen);
  HGDIOBJ replaced = SelectObject(emblemDc, emblem);
  // AND: the emblem's white leaves the background as it is, its lines darken it.
  BitBlt(target, width - header.bmWidth - EmblemRightMargin, height - header.bmHeight - EmblemBottomMargin,
         header.bmWidth, header.bmHeight, emblemDc, 0, 0, SRCAND);
  SelectObject(emblemDc, replaced);
  DeleteDC(emblemDc);
  if (emblem != nullptr) DeleteObject(emblem);
}

}  // namespace

int ScaledPosition(int size, double fraction) {
  // Rounded to a double before the cut: in the x87 registers 350 x 0.3 is a
  // hair below 105 and would come out as 104.
  volatile double product = size * fraction;
  return static_cast<int>(product);
}

HFONT MakeFont(int width, int height, int weight, BOOL italic, const char* face) {
  LOGFONTA font = {};
  font.lfHeight = height;  // positive: the cell height
  font.lfWidth = width;
  font.lfEscapement = 0;
  font.lfOrientation = 0;
  font.lfWeight = weight;
  font.lfItalic = italic ? TRUE : FALSE;
  font.lfUnderline = FALSE;
  font.lfStrikeOut = FALSE;
  // The texts are in the ANSI code page (1250); a font of the Western set
  // would show their ő and ű as õ and û.
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  TextCopy(font.lfFaceName, face);
  return CreateFontIndirectA(&font);
}

void DrawScaledText(HDC dc, double xFraction, double yFraction, int fontWidth, int fontHeight, int weight,
                    BOOL italic, const char* face, const char* text) {
  HFONT font = MakeFont(fontWidth, fontHeight, weight, italic, face);
  HGDIOBJ replaced = SelectObject(dc, font);
  TextOutA(dc, ScaledPosition(Background.width, xFraction), ScaledPosition(Background.height, yFraction), text,
           static_cast<int>(strlen(text)));
  SelectObject(dc, replaced);
  DeleteObject(font);
}

void PaintProductBlock(HDC target, HDC screen, int width, int height) {
  SetTextAlign(target, TA_CENTER | TA_TOP);

  char module[128];
  char platform[128];
  LoadText(IDS_MODULE_TITLE, module);
  LoadText(IDS_PLATFORM, platform);
  char version[32];
  TextCopy(version, "V9.21");
  TextAppend(version, ".E");
  TextAppend(version, ".DEMO");

  // Each shadow goes down first, so that its text lies over it, up and left.
  DrawProductRow(target, Blue, 0.64, 0.01, 16, 36, "ZeltaCAD");
  DrawProductRow(target, PaleBlue, 0.646, 0.102, 22, 48, "KORVET");
  DrawProductRow(target, Blue, 0.64, 0.096, 22, 48, "KORVET");
  DrawProductRow(target, Blue, 0.64, 0.21, 10, 30, module);
  DrawProductRow(target, Blue, 0.64, 0.45, 10, 26, platform);
  DrawProductRow(target, Grey, 0.646, 0.306, 22, 48, version);
  DrawProductRow(target, DarkRed, 0.64, 0.3, 22, 48, version);

  CombineEmblem(target, screen, width, height);
}

void PaintTitles(HWND mainWindow) {
  HDC windowDc = GetDC(mainWindow);
  HDC memory = CreateCompatibleDC(windowDc);
  HGDIOBJ replaced = SelectObject(memory, Background.bitmap);

  SetBkMode(memory, TRANSPARENT);
  SetTextAlign(memory, TA_LEFT | TA_TOP);
  SetTextColor(memory, Black);
  for (const ContactRow& row : ContactRows) DrawContactRow(memory, row);
  SetTextColor(memory, DarkRed);
  DrawContactRow(memory, RightsRow);

  PaintProductBlock(memory, windowDc, Background.width, Background.height);

  SelectObject(memory, replaced);
  DeleteDC(memory);
  ReleaseDC(mainWindow, windowDc);
}

void PaintMainWindow(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ replaced = SelectObject(memory, Background.bitmap);
  // The whole picture, whatever the update region: one copy, no text work.
  BitBlt(dc, 2, 2, Background.width, Background.height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, replaced);
  DeleteDC(memory);
  EndPaint(window, &paint);
}

void LoadBackground(HINSTANCE instance) {
  Background.bitmap = LoadBitmapA(instance, "ZeltaWin");
  BITMAP header = {};
  if (Background.bitmap != nullptr) GetObjectA(Background.bitmap, sizeof header, &header);
  Background.width = header.bmWidth;
  Background.height = header.bmHeight;
}

void ReleaseBackground() {
  if (Background.bitmap != nullptr) DeleteObject(Background.bitmap);
  Background.bitmap = nullptr;
}
