// The title picture of the main window: the maker's contact block, the
// product block and the emblem, painted once into the background bitmap
// of the main window; every repaint only copies that bitmap.
#ifndef ZELTA_APP_TITLE_PAINTING_H
#define ZELTA_APP_TITLE_PAINTING_H

#include <windows.h>

// The title picture. Loaded before the main window exists, painted once when
// it is created, deleted when it is destroyed.
struct BackgroundRecord {
  HBITMAP bitmap;
  int width;   // pixels, from the bitmap's own header
  int height;
};

extern BackgroundRecord Background;

// Loads the bitmap "ZeltaWin" into Background; a missing bitmap leaves it
// empty with size 0 x 0.
void LoadBackground(HINSTANCE instance);

// Deletes the background bitmap (also when none was loaded).
void ReleaseBackground();

// Paints every text and the emblem into Background. Called once, from the
// main window's WM_CREATE.
void PaintTitles(HWND mainWindow);

// The product block and the emblem "ZeltaBas" on `target`, for a background
// of width x height pixels; `screen` is the context the emblem's memory
// context is made compatible with.
void PaintProductBlock(HDC target, HDC screen, int width, int height);

// Draws text at (trunc(W x xFraction), trunc(H x yFraction)) of Background,
// with the context's alignment and colour, in a font made for this one call.
void DrawScaledText(HDC dc, double xFraction, double yFraction, int fontWidth, int fontHeight, int weight,
                    BOOL italic, const char* face, const char* text);

// A font of the given cell size in pixels; the caller deletes it.
HFONT MakeFont(int width, int height, int weight, BOOL italic, const char* face);

// size x fraction, truncated toward zero.
int ScaledPosition(int size, double fraction);

// WM_PAINT of the main window: the finished picture at client (2, 2).
void PaintMainWindow(HWND window);

#endif
