#include "tests/win/wait_until.h"

#include <cstdlib>

namespace {

// Where Wine runs in an emulated machine, the build sets
// ZELTA_TIME_LIMIT_SCALE for every test: each bound grows by that factor.
DWORD Scaled(DWORD ms) {
  const char* text = getenv("ZELTA_TIME_LIMIT_SCALE");
  long scale = text != nullptr ? strtol(text, nullptr, 10) : 1;
  if (scale < 1 || scale > 10) scale = 1;
  return ms * static_cast<DWORD>(scale);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& holds, DWORD ms) {
  ms = Scaled(ms);
  const DWORD start = GetTickCount();
  while (!holds()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) break;
    const DWORD left = ms - elapsed;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 20 ? left : 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return holds();
}
