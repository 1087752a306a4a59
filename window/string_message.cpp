#include "window/string_message.h"

#include "catalogue/install_state.h"
#include "common/bounded_text.h"

int ShowStringMessage(HWND owner, UINT id, size_t size, UINT style, const char* arg1, const char* arg2) {
  char pattern[TextSize];
  if (LoadStringA(InstallState.Instance, id, pattern, sizeof pattern) <= 0) pattern[0] = '\0';
  char text[TextSize];
  TextFillPattern(text, size < sizeof text ? size : sizeof text, pattern, arg1, arg2);
  return MessageBoxA(owner, text, InstallState.Caption, style);
}
