// Centring of one window over another.
#ifndef ZELTA_WINDOW_CENTRE_WINDOW_H
#define ZELTA_WINDOW_CENTRE_WINDOW_H

#include <windows.h>

// Moves `window` so that it is centred over `reference`, keeping its size;
// a negative left or top becomes 0 (nothing is clamped on the right or at
// the bottom).
void CentreWindow(HWND reference, HWND window);

#endif
