// Entry point of the installer.
#include <windows.h>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "resources/resource_ids.h"

namespace {

// The values every later step takes from the process: the instance, the
// Windows directory and the caption of the message boxes.
void ReadStartupValues(HINSTANCE instance) {
  InstallState.Instance = instance;

  char windir[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("windir", windir, sizeof windir);
  if (n == 0 || n >= sizeof windir) windir[0] = '\0';
  TextCopy(InstallState.WindowsDirectory, windir);

  LoadStringA(instance, IDS_CAPTION, InstallState.Caption, CaptionSize);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ReadStartupValues(instance);
  return 0;
}
