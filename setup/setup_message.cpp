#include "setup/setup_message.h"

#include "catalogue/install_state.h"
#include "common/bounded_text.h"

void ShowSetupError(HWND owner, UINT id, const char* arg) {
  char pattern[TextSize];
  if (LoadStringA(InstallState.Instance, id, pattern, sizeof pattern) <= 0) pattern[0] = '\0';
  char text[TextSize];
  TextFillPattern(text, sizeof text, pattern, arg);
  MessageBoxA(owner, text, InstallState.Caption, MB_OK | MB_ICONERROR);
}
