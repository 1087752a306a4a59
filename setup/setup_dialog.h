// The setup dialog "ZeltaWin": target drive, components, start option, and
// the start of the installation.
#ifndef ZELTA_SETUP_SETUP_DIALOG_H
#define ZELTA_SETUP_SETUP_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Enables, chooses and marks the component boxes from what the discs offer,
// and marks the start box.
void RefreshComponentBoxes(HWND dialog);

#endif
