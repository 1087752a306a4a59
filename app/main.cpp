// Entry point of the installer. The command line and the show command are
// not used: the main window always appears centred, as the title picture.
// Exit code: 0 when the main window is closed, 1 when the installer cannot
// show its windows (app/main_window.h).
#include <windows.h>

#include "app/start_up.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return RunInstaller(instance);
}
