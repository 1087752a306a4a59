#include "window/centre_window.h"

void CentreWindow(HWND reference, HWND window) {
  RECT moving, over;
  GetWindowRect(window, &moving);
  GetWindowRect(reference, &over);
  int width = moving.right - moving.left;
  int height = moving.bottom - moving.top;
  int left = over.left + ((over.right - over.left) - width) / 2;
  int top = over.top + ((over.bottom - over.top) - height) / 2;
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  MoveWindow(window, left, top, width, height, TRUE);
}
