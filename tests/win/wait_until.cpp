#include "tests/win/wait_until.h"

bool WaitUntil(const std::function<bool()>& holds, DWORD ms) {
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
