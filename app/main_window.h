// The main window: its class and its creation, centred on the screen around
// the title picture (app/title_painting.h).
#ifndef ZELTA_APP_MAIN_WINDOW_H
#define ZELTA_APP_MAIN_WINDOW_H

#include <windows.h>

extern const char MainWindowClass[];  // "ZeltaCAD WEB Install"

// The exit code when the installer cannot show its windows (the main window
// or the setup dialog could not be made).
const int WindowsFailedExitCode = 1;

// Registers the main window's class; the result is not looked at (a failure
// shows as a window that cannot be created).
void RegisterMainWindowClass(HINSTANCE instance);

// Creates the main window, the background plus a dialog frame on every
// side, centred on the screen and titled InstallState.Caption, and makes it
// InstallState.MainWindow. Null when it cannot be made.
HWND CreateMainWindow(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
