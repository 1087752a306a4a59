#include "setup/about_box.h"

namespace {

BOOL OnAboutCommand(HWND dialog, WORD command) {
  if (command != IDOK && command != IDCANCEL) return FALSE;
  // Nothing to choose here: every way out is the same.
  EndDialog(dialog, 1);
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;  // the default focus: the "Rendben" button
    case WM_COMMAND:
      return OnAboutCommand(dialog, LOWORD(wParam));
    default:
      return FALSE;
  }
}
