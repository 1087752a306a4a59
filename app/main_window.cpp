#include "app/main_window.h"

#include "app/title_painting.h"
#include "catalogue/install_state.h"
#include "resources/resource_ids.h"
#include "setup/setup_dialog.h"

const char MainWindowClass[] = "ZeltaCAD WEB Install";

namespace {

// The exit code the quit message carries when the main window goes.
int QuitCode = 0;

void OnMainCreate(HWND window) {
  PaintTitles(window);
  // Posted, not sent: the setup dialog opens from the message loop, once the
  // main window is on the screen.
  PostMessageA(window, WM_COMMAND, CMD_OPEN_SETUP, 0);
}

void OnMainDestroy() {
  ReleaseBackground();
  PostQuitMessage(QuitCode);
}

void OnMainCommand(HWND window, WORD command) {
  if (command != CMD_OPEN_SETUP) return;
  INT_PTR result = DialogBoxParamA(InstallState.Instance, "ZeltaWin", window, SetupDialogProc, 0);
  // Without its setup dialog the installer would only show the title, with
  // nothing left to close it: end the program and say so by the exit code.
  if (result == -1 && IsWindow(window)) {
    QuitCode = WindowsFailedExitCode;
    DestroyWindow(window);
  }
}

}  // namespace

void RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "ZeltaEarth");
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = MainWindowClass;
  RegisterClassA(&windowClass);
}

HWND CreateMainWindow(HINSTANCE instance) {
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  int frame = GetSystemMetrics(SM_CYDLGFRAME);  // the same thickness both ways
  int width = Background.width + 2 * frame;
  int height = Background.height + 2 * frame;
  // On a screen smaller than the window the corner goes negative and stays so.
  int left = (screenWidth - width) / 2;
  int top = (screenHeight - height) / 2;

  QuitCode = 0;  // a window ends normally unless its setup dialog fails
  HWND window = CreateWindowExA(0, MainWindowClass, InstallState.Caption, WS_POPUPWINDOW | WS_VISIBLE, left, top,
                                width, height, nullptr, nullptr, instance, nullptr);
  InstallState.MainWindow = window;
  return window;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnMainCreate(window);
      return 0;
    case WM_PAINT:
      PaintMainWindow(window);
      return 0;
    case WM_DESTROY:
      OnMainDestroy();
      return 0;
    case WM_COMMAND:
      OnMainCommand(window, LOWORD(wParam));
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
