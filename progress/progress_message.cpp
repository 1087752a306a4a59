#include "progress/progress_message.h"

#include "catalogue/install_state.h"
#include "progress/progress_items.h"
#include "window/string_message.h"

// A message box shows over the dialog as the work has left it.
int ShowProgressMessage(UINT id, size_t size, UINT style, const char* arg1, const char* arg2) {
  DrawProgressNow();
  return ShowStringMessage(InstallState.ProgressDialog, id, size, style, arg1, arg2);
}

void ShowProgressError(const char* text, const char* caption) {
  DrawProgressNow();
  HWND owner = GetFocus();
  if (owner == nullptr) owner = InstallState.ProgressDialog;
  MessageBoxA(owner, text, caption, MB_ICONERROR | MB_OK);
}
