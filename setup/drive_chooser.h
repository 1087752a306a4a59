// The drive chooser: the open-file common dialog with the "SetDriveBox"
// template, which shows nothing but the drive list.
#ifndef ZELTA_SETUP_DRIVE_CHOOSER_H
#define ZELTA_SETUP_DRIVE_CHOOSER_H

#include <windows.h>

// Lets the user pick a drive; a picked drive goes into the setup dialog's
// drive field and is checked there. Cancel changes nothing.
void ChooseTargetDrive(HWND setupDialog);

UINT_PTR CALLBACK DriveChooserHook(HWND chooser, UINT message, WPARAM wParam, LPARAM lParam);

// Reads the drive list's text; 0 when it names a drive, 1 after an error
// message owned by the chooser (as CheckTargetDrive).
int CheckChosenDrive(HWND chooser);

#endif
