// The setup dialog's drive field: the target drive it names, checked, and
// the current drive shown in it. The drive chooser writes the field too.
#ifndef ZELTA_SETUP_TARGET_DRIVE_H
#define ZELTA_SETUP_TARGET_DRIVE_H

#include <windows.h>

// Checks the first character of the drive field and makes that drive the
// process's current drive. 0: valid, TargetDrive set; 1: an error was shown
// and TargetDrive is unchanged.
int CheckTargetDrive(HWND dialog);

// TargetDrive = the process's current drive, shown in the field as "X:".
void ShowCurrentDrive(HWND dialog);

#endif
