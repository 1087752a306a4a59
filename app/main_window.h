// The main window: its class, the background picture it shows and its
// creation, centred on the screen.
#ifndef ZELTA_APP_MAIN_WINDOW_H
#define ZELTA_APP_MAIN_WINDOW_H

#include <windows.h>

// The title picture. Loaded before the main window exists, painted once when
// it is created, deleted when it is destroyed.
struct BackgroundRecord {
  HBITMAP bitmap;
  int width;   // pixels, from the bitmap's own header
  int height;
};

extern BackgroundRecord Background;

extern const char MainWindowClass[];  // "ZeltaCAD WEB Install"

// The exit code when the installer cannot show its windows (the main window
// or the setup dialog could not be made).
const int WindowsFailedExitCode = 1;

// Registers the main window's class; the result is not looked at (a failure
// shows as a window that cannot be created).
void RegisterMainWindowClass(HINSTANCE instance);

// Loads the bitmap "ZeltaWin" into Background; a missing bitmap leaves it
// empty with size 0 x 0.
void LoadBackground(HINSTANCE instance);

// Deletes the background bitmap (also when none was loaded).
void ReleaseBackground();

// Creates the main window, the background plus a dialog frame on every
// side, centred on the screen and titled InstallState.Caption, and makes it
// InstallState.MainWindow. Null when it cannot be made.
HWND CreateMainWindow(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
