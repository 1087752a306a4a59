#include "progress/progress_animation.h"

#include <commctrl.h>

#include "catalogue/install_state.h"
#include "resources/resource_ids.h"

namespace {

struct AnimationRecord {
  HWND control;  // created by the worker thread, over the message area
};

AnimationRecord Animation = {nullptr};

}  // namespace

void StartAnimation(int item, WORD clip) {
  HWND dialog = InstallState.ProgressDialog;
  if (dialog == nullptr) return;
  RECT itemRect, dialogRect;
  GetWindowRect(GetDlgItem(dialog, item), &itemRect);
  GetWindowRect(dialog, &dialogRect);
  int caption = GetSystemMetrics(SM_CYCAPTION);
  int frameX = GetSystemMetrics(SM_CXDLGFRAME);
  int frameY = GetSystemMetrics(SM_CYDLGFRAME);

  HWND animation = CreateWindowExA(0, ANIMATE_CLASSA, nullptr, WS_CHILD | ACS_CENTER | ACS_TRANSPARENT, 0, 0,
                                   0, 0, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ANIMATION)),
                                   InstallState.Instance, nullptr);
  if (animation == nullptr) return;
  Animation.control = animation;
  MoveWindow(animation, itemRect.left - dialogRect.left - frameX,
             itemRect.top - dialogRect.top - frameY - caption, (itemRect.right - itemRect.left) - 3 * frameX,
             (itemRect.bottom - itemRect.top) - 3 * frameY, TRUE);
  ShowWindow(animation, SW_SHOW);
  SendMessageA(animation, ACM_OPENA, 0, reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(clip)));
  SendMessageA(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
}

void SwitchAnimation(WORD clip) {
  HWND animation = Animation.control;
  if (animation == nullptr) return;
  SendMessageA(animation, ACM_STOP, 0, 0);
  SendMessageA(animation, ACM_OPENA, 0, reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(clip)));
  SendMessageA(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
}

HWND ProgressAnimation() {
  return Animation.control;
}

void CloseProgressAnimation() {
  if (Animation.control != nullptr) SendMessageA(Animation.control, ACM_OPENA, 0, 0);
  Animation.control = nullptr;
}
