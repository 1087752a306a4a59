#include "tests/win/recording_dialog.h"

#include <commctrl.h>

#include "catalogue/install_state.h"
#include "progress/progress_items.h"
#include "resources/resource_ids.h"

namespace {

const char OriginalProcProperty[] = "ZeltaTestOriginalProc";
const char RecorderProperty[] = "ZeltaTestRecorder";

}  // namespace

RecordingDialog::RecordingDialog() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_ANIMATE_CLASS};
  InitCommonControlsEx(&controls);
  window_ = CreateWindowExA(0, "STATIC", "recording dialog", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  SetPropA(window_, OriginalProcProperty,
           reinterpret_cast<HANDLE>(SetWindowLongPtrA(window_, GWLP_WNDPROC,
                                                      reinterpret_cast<LONG_PTR>(&RecordingDialog::WindowProc))));
  const int items[] = {IDC_MESSAGE_AREA, IDC_PHASE_LINE, IDC_FILE_LINE, IDC_ACTIVITY_MARK, IDC_PERCENT};
  for (int id : items) {
    HWND item = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, window_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                nullptr);
    SetPropA(item, RecorderProperty, this);
    SetPropA(item, OriginalProcProperty,
             reinterpret_cast<HANDLE>(SetWindowLongPtrA(item, GWLP_WNDPROC,
                                                        reinterpret_cast<LONG_PTR>(&RecordingDialog::ItemProc))));
  }
  HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 100, 10, window_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PROGRESS_BAR)),
                             GetModuleHandleA(nullptr), nullptr);
  SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
  InstallState.ProgressDialog = window_;
  InstallState.ProgressBar = bar;
}

RecordingDialog::~RecordingDialog() {
  InstallState.ProgressDialog = nullptr;
  InstallState.ProgressBar = nullptr;
  DestroyWindow(window_);
}

LRESULT CALLBACK RecordingDialog::ItemProc(HWND item, UINT message, WPARAM wParam, LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(GetPropA(item, OriginalProcProperty));
  if (message == WM_SETTEXT) {
    auto* self = static_cast<RecordingDialog*>(GetPropA(item, RecorderProperty));
    RecordedText entry{GetDlgCtrlID(item), lParam ? reinterpret_cast<const char*>(lParam) : ""};
    self->texts_.push_back(entry);
    if (self->onText) self->onText(entry);
  }
  if (message == WM_NCDESTROY) {
    RemovePropA(item, OriginalProcProperty);
    RemovePropA(item, RecorderProperty);
  }
  return CallWindowProcA(original, item, message, wParam, lParam);
}

LRESULT CALLBACK RecordingDialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(GetPropA(window, OriginalProcProperty));
  if (message == WM_COMMAND && LOWORD(wParam) == CMD_DRAW_PROGRESS) {
    DrawProgressItems();
    return 0;
  }
  if (message == WM_NCDESTROY) RemovePropA(window, OriginalProcProperty);
  return CallWindowProcA(original, window, message, wParam, lParam);
}

std::vector<std::string> RecordingDialog::TextsOf(int item) const {
  std::vector<std::string> result;
  for (const RecordedText& t : texts_)
    if (t.item == item) result.push_back(t.text);
  return result;
}

std::string RecordingDialog::CurrentText(int item) const {
  char text[512] = {};
  GetDlgItemTextA(window_, item, text, sizeof text);
  return text;
}

int RecordingDialog::BarPosition() const {
  return static_cast<int>(SendMessageA(InstallState.ProgressBar, PBM_GETPOS, 0, 0));
}
