#include "progress/progress_message.h"

#include "catalogue/install_state.h"
#include "window/string_message.h"

int ShowProgressMessage(UINT id, size_t size, UINT style, const char* arg1, const char* arg2) {
  return ShowStringMessage(InstallState.ProgressDialog, id, size, style, arg1, arg2);
}

void ShowProgressError(const char* text, const char* caption) {
  HWND owner = GetFocus();
  if (owner == nullptr) owner = InstallState.ProgressDialog;
  MessageBoxA(owner, text, caption, MB_ICONERROR | MB_OK);
}
