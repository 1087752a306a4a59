#include "app/start_up.h"

#include "app/main_window.h"
#include "app/title_painting.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "resources/resource_ids.h"

namespace {

// A missing variable leaves the directory empty, and so does one longer
// than the field holds: cut, it would name another folder, and the targets
// below it are refused instead.
void ReadWindowsDirectory() {
  char windir[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("windir", windir, sizeof windir);
  if (n == 0 || n >= sizeof InstallState.WindowsDirectory) windir[0] = '\0';
  TextCopy(InstallState.WindowsDirectory, windir);
}

void LoadCaption(HINSTANCE instance) {
  if (LoadStringA(instance, IDS_CAPTION, InstallState.Caption, CaptionSize) <= 0) InstallState.Caption[0] = '\0';
}

int RunMessageLoop() {
  MSG message = {};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int RunInstaller(HINSTANCE instance) {
  RegisterMainWindowClass(instance);
  InstallState.Instance = instance;
  ReadWindowsDirectory();
  LoadBackground(instance);
  LoadCaption(instance);

  HWND window = CreateMainWindow(instance);
  if (window == nullptr) {
    // Nothing would ever end the message loop: stop here, silently, as the
    // rest of the start does.
    ReleaseBackground();
    return WindowsFailedExitCode;
  }
  UpdateWindow(window);
  return RunMessageLoop();
}
