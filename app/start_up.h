// The start of the installer: the values every later step takes from the
// process, the main window and the message loop.
#ifndef ZELTA_APP_START_UP_H
#define ZELTA_APP_START_UP_H

#include <windows.h>

// Runs the installer until its main window is destroyed and returns the
// program's exit code: the quit message's code, or WindowsFailedExitCode
// (app/main_window.h) at once when the main window cannot be created.
int RunInstaller(HINSTANCE instance);

#endif
