#include "install/progress_dialog.h"

#include <commctrl.h>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "install/install_worker.h"
#include "install/program_group.h"
#include "progress/progress_animation.h"
#include "progress/progress_items.h"
#include "resources/resource_ids.h"
#include "window/centre_window.h"

namespace {

const COLORREF BackgroundColour = 0x00FEDABA;
const COLORREF AnimationColour = 0x00D7E7E7;
const COLORREF BarColour = 0x009A7D2D;

struct ProgressDialogRecord {
  HANDLE worker;
  HBRUSH background;
  HBRUSH animationBrush;
};

ProgressDialogRecord Progress = {nullptr, nullptr, nullptr};

BOOL OnProgressInit(HWND dialog) {
  InstallState.ProgressDialog = dialog;
  ForgetProgressItems();
  CentreWindow(InstallState.SetupDialog, dialog);
  Progress.background = CreateSolidBrush(BackgroundColour);
  Progress.animationBrush = CreateSolidBrush(AnimationColour);

  HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
  InstallState.ProgressBar = bar;
  if (bar != nullptr) {
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    SendMessageA(bar, PBM_SETMARQUEE, TRUE, 10);
    SendMessageA(bar, PBM_SETBKCOLOR, 0, BackgroundColour);
    SendMessageA(bar, PBM_SETBARCOLOR, 0, BarColour);
    // The bar must show the position. The classic control ignores the
    // marquee request, but Wine's draws a marquee whenever the style bit is
    // set: take the bit off so that every control shows the position.
    SetWindowLongA(bar, GWL_STYLE, GetWindowLongA(bar, GWL_STYLE) & ~PBS_MARQUEE);
  }
  const int hidden[] = {IDC_FILE_LINE, IDC_PROGRESS_BAR, IDC_ACTIVITY_MARK, IDC_PERCENT};
  for (int item : hidden) ShowWindow(GetDlgItem(dialog, item), SW_HIDE);

  PostMessageA(dialog, WM_COMMAND, CMD_START_WORKER, 0);
  return TRUE;
}

// The button while the worker goes to its cancelled ending.
void ShowCancelling(HWND dialog) {
  char text[64];
  if (LoadStringA(InstallState.Instance, IDS_CANCELLING, text, sizeof text) <= 0) text[0] = '\0';
  HWND button = GetDlgItem(dialog, IDCANCEL);
  SetWindowTextA(button, text);
  EnableWindow(button, FALSE);
}

void OnCancel(HWND dialog) {
  // The worker's waits for the server look at the flag (web/network_watch.h).
  InstallState.CancelRequested = 1;
  if (!InstallState.WorkerRunning) {
    EndDialog(dialog, 0);
    return;
  }
  ShowCancelling(dialog);
}

BOOL OnProgressCommand(HWND dialog, WORD command) {
  switch (command) {
    case IDOK:
      EndDialog(dialog, 1);
      return TRUE;
    case IDCANCEL:
      OnCancel(dialog);
      return TRUE;
    case CMD_START_WORKER:
      StartWorker();
      return TRUE;
    case CMD_WORKER_FINISHED:
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      return TRUE;
    case CMD_DRAW_PROGRESS:
      DrawProgressItems();
      return TRUE;
    case CMD_CANCEL_REQUEST:
      // The file installation stopped because the user refused to go on:
      // the cancel button's work, "Megszakítva" while the worker runs,
      // except that it never ends the dialog. The worker takes the
      // cancelled ending by itself and leaves the dialog open with
      // "Kilépés"; a request that arrived after that ending would
      // otherwise close the dialog before the user saw it.
      InstallState.CancelRequested = 1;
      if (InstallState.WorkerRunning) ShowCancelling(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR OnStaticColour(HDC dc, HWND control) {
  if (control != nullptr && control == ProgressAnimation()) {
    SetBkColor(dc, AnimationColour);
    return reinterpret_cast<INT_PTR>(Progress.animationBrush);
  }
  SetBkColor(dc, BackgroundColour);
  return reinterpret_cast<INT_PTR>(Progress.background);
}

void OnProgressDestroy() {
  DeleteObject(Progress.background);
  DeleteObject(Progress.animationBrush);
  Progress.background = nullptr;
  Progress.animationBrush = nullptr;
  // The thread handle is ours whether or not the worker still runs.
  if (Progress.worker != nullptr) CloseHandle(Progress.worker);
  Progress.worker = nullptr;
  CloseProgressAnimation();
  InstallState.ProgressDialog = nullptr;
  InstallState.ProgressBar = nullptr;
}

DWORD WINAPI WorkerEntry(LPVOID) {
  InstallWorker();
  return 0;
}

}  // namespace

INT_PTR RunProgressDialog(HWND setupDialog) {
  InstallState.SetupDialog = setupDialog;
  EnableWindow(GetDlgItem(setupDialog, IDOK), FALSE);

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_ANIMATE_CLASS};
  InitCommonControlsEx(&controls);
  INT_PTR result = DialogBoxParamA(InstallState.Instance, "WebLoadBox", setupDialog, ProgressDialogProc, 0);
  if (result == -1) result = 0;  // the dialog could not be made: nothing was installed
  if (result != 0) {
    StartProgramGroup(setupDialog);
  } else {
    DestroyWindow(setupDialog);
  }
  return result;
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnProgressInit(dialog);
    case WM_COMMAND:
      return OnProgressCommand(dialog, LOWORD(wParam));
    case WM_CTLCOLORSTATIC:
      return OnStaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(Progress.background);
    case WM_DESTROY:
      OnProgressDestroy();
      return 0;
    default:
      return FALSE;
  }
}

void StartWorker() {
  if (Progress.worker != nullptr) return;  // one worker per dialog
  HANDLE thread = CreateThread(nullptr, 0, WorkerEntry, nullptr, CREATE_SUSPENDED, nullptr);
  if (thread == nullptr) return;
  Progress.worker = thread;
  SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
  // Running before it runs: a cancel during the start must not end the
  // dialog under a worker that is about to begin.
  InstallState.WorkerRunning = 1;
  ResumeThread(thread);
}
