// The setup dialog "ZeltaWin": target drive, components, start option, and
// the start of the installation.
#ifndef ZELTA_SETUP_SETUP_DIALOG_H
#define ZELTA_SETUP_SETUP_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Checks the first character of the drive field and makes that drive the
// process's current drive. 0: valid, TargetDrive set; 1: an error was shown
// and TargetDrive is unchanged.
int CheckTargetDrive(HWND dialog);

// TargetDrive = the process's current drive, shown in the field as "X:".
void ShowCurrentDrive(HWND dialog);

// Enables, chooses and marks the component boxes from what the discs offer,
// and marks the start box.
void RefreshComponentBoxes(HWND dialog);

#endif
